#pragma once
// TZABaseArchiver and TZipArchiver: create, update, list and extract ZIP archives.
//
// One instance works on one archive at a time, on the caller's thread, and calls its events
// back synchronously. Errors the engine detects are EZAExceptions; inside the per-file loops
// of adding and extracting they become OnProcessFileFailure calls instead.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/za_directory.h"
#include "engine/za_exception.h"
#include "engine/za_stream.h"
#include "engine/za_types.h"

namespace engine {

class TZABaseArchiver {
 public:
  explicit TZABaseArchiver(std::string name = {});
  virtual ~TZABaseArchiver();
  TZABaseArchiver(const TZABaseArchiver&) = delete;
  TZABaseArchiver& operator=(const TZABaseArchiver&) = delete;

  // The component name that prefixes the engine's messages ("ZipArchiver1").
  std::string Name;

  // ---- published properties ----
  bool ExtractCorruptedFiles = false;
  TZACompressionLevel CompressionLevel() const noexcept { return compressionLevel_; }
  void SetCompressionLevel(TZACompressionLevel level);
  int CompressionMode() const noexcept { return compressionMode_; }
  void SetCompressionMode(int mode);  // NativeError 5 above 9
  std::string CurrentVersion() const { return "6.01 "; }
  void SetCurrentVersion(const std::string&) {}  // read-only in effect
  const std::string& Password() const noexcept { return password_; }
  virtual void SetPassword(const std::string& password) { password_ = password; }
  std::string FileName;
  std::string BaseDir;
  std::string TempDir;
  TZASpanningMode SpanningMode() const noexcept { return spanningMode_; }
  void SetSpanningMode(TZASpanningMode mode);  // refused while an archive is open
  TZASpanningOptions SpanningOptions;
  std::string SFXStub;
  TZAOptions Options;
  std::vector<std::string> FileMasks;
  std::vector<std::string> ExclusionMasks;
  std::vector<std::string> NoCompressionMasks;
  bool InMemory = false;
  // Kept here for both classes: TZipArchiver publishes them.
  TZip64Mode Zip64Mode = zmAuto;
  bool UnicodeFilenames = false;
  TZACryptoAlgorithm EncryptionMethod = caPkzipClassic;

  // ---- events ----
  TZAFileProgressEvent OnFileProgress;
  TZAProgressEvent OnOverallProgress;
  TZACopyTempFileProgressEvent OnCopyTempFileProgress;
  TZAConfirmOverwriteEvent OnConfirmOverwrite;
  TZAConfirmProcessFileEvent OnConfirmProcessFile;
  TNotifyEvent AfterOpen;
  TZAOnPasswordEvent OnPassword;
  TZAProcessFileFailureEvent OnProcessFileFailure;
  TZAOnRequestVolumeEvent OnRequestBlankVolume;
  TZAOnRequestVolumeEvent OnRequestFirstVolume;
  TZAOnRequestVolumeEvent OnRequestLastVolume;
  TZAOnRequestVolumeEvent OnRequestMiddleVolume;
  TZAOnDiskFullEvent OnDiskFull;
  TZAOnStoreFileEvent OnStoreFile;
  TZAOnExtractFileEvent OnExtractFile;

  // The dialogs behind unassigned events; null means the process-wide default.
  TZAPrompt* Prompt = nullptr;

  // ---- operations ----
  static constexpr std::uint16_t kModeCreate = 0xFFFF;
  static constexpr std::uint16_t kModeRead = 0;
  static constexpr std::uint16_t kModeReadWriteDenyWrite = 34;
  static constexpr std::uint16_t kModeReadDenyNone = 64;

  void OpenArchive();
  void OpenArchive(std::uint16_t mode);
  // Opens an archive held by the caller's stream (tests and fuzzing); mode as above.
  void OpenArchive(std::unique_ptr<TZAStream> stream, std::uint16_t mode);
  void CloseArchive();

  void AddFiles(const std::string& FileMask, int SearchAttr = kFaAnyFile,
                const std::string& ExclusionMask = {});
  void ExtractFiles(const std::string& FileMask, int SearchAttr = kFaAnyFile,
                    const std::string& ExclusionMask = {});
  // The test operation: every matching member decoded and verified into a discarding
  // stream; failures go through OnProcessFileFailure (poTest). Returns the members that
  // passed.
  int TestFiles(const std::string& FileMask = "*.*", int SearchAttr = kFaAnyFile,
                const std::string& ExclusionMask = {});
  bool FindFirst(const std::string& FileMask, TZAArchiveItem& Item,
                 int SearchAttr = kFaAnyFile, const std::string& ExclusionMask = {});
  bool FindNext(TZAArchiveItem& Item);
  std::int64_t Size();
  int FileCount();
  void BeginUpdate();
  void EndUpdate();
  void CancelUpdate();

  // ---- run-time state ----
  bool Active() const noexcept { return active_; }
  std::uint16_t FileMode() const noexcept { return fileMode_; }
  int UpdateDepth() const noexcept { return updateDepth_; }
  bool Cancelled() const noexcept { return cancelled_; }
  int ProcessedCount() const noexcept { return processedCount_; }
  int TotalCount() const noexcept { return totalCount_; }
  std::int64_t TotalBytes() const noexcept { return totalBytes_; }
  std::int64_t DoneBytes() const noexcept { return doneBytes_; }
  bool SkipFile() const noexcept { return skipFile_; }
  // The member directory of the open archive (null when closed).
  const TZADirManager* Directory() const noexcept { return dir_.get(); }
  // The archive comment of the open archive.
  const std::string& ArchiveComment() const;

 protected:
  // The compression method new members get for a mode (the ZIP variant: 8, or 0 at mode 0).
  virtual std::uint16_t MethodForMode(int mode) const;

 private:
  friend class TZACommit;
  friend class TZAExtractor;
  friend class TZAQueue;

  EZAException Error(int nativeError, const std::vector<std::string>& args = {}) const;
  void RequireOpen() const;                      // NativeError 13
  void Commit();                                 // za_commit.cpp
  void WriteEmptyDirectoryIfUnwritten();
  std::string ResolvedWorkDir();
  TZAPrompt* ActivePrompt() const;

  // Event dispatch with the default behaviours.
  bool FireFileProgress(const std::string& name, double progress, TZAProcessOperation op,
                        TZAProgressPhase phase);  // true when cancelled
  bool FireOverallProgress(double progress, TZAProcessOperation op, TZAProgressPhase phase);
  TZAAction FireProcessFileFailure(const std::string& name, TZAProcessOperation op,
                                   const EZAException& e);
  bool FireConfirmProcessFile(const std::string& name, TZAProcessOperation op);
  bool FireConfirmOverwrite(const std::string& source, std::string& dest, bool confirmStart);
  void FirePassword(const std::string& memberName);  // may change Password, sets SkipFile
  void DiskFull(const std::string& volumeName);      // Cancel -> Cancelled; unassigned: 65

  // Extraction internals (za_extract.cpp).
  int RunMemberLoop(const std::vector<int>& selected, bool testOnly);  // in directory order
  bool SearchFrom(TZAArchiveItem& item);
  void ExtractMemberToFile(int index, const std::string& targetFolder);
  // Decodes and verifies member `index` into `destination`; false when it was skipped,
  // cancelled or kept although corrupt.
  bool WriteMemberData(int index, TZAStream& destination);

  TZACompressionLevel compressionLevel_ = clFastest;
  int compressionMode_ = 1;
  std::uint16_t newMemberMethod_ = 8;
  std::string password_;
  TZASpanningMode spanningMode_ = smNone;

  bool active_ = false;
  std::uint16_t fileMode_ = 0;
  int updateDepth_ = 0;
  bool cancelled_ = false;
  int processedCount_ = 0;
  int totalCount_ = 0;
  std::int64_t totalBytes_ = 0;
  std::int64_t doneBytes_ = 0;
  bool skipFile_ = false;
  std::string workDir_;
  std::string openPath_;  // the archive file actually open

  std::unique_ptr<TZAStream> stream_;
  std::unique_ptr<TZADirManager> dir_;
};

class TZipArchiver : public TZABaseArchiver {
 public:
  explicit TZipArchiver(std::string name = {});

 protected:
  std::uint16_t MethodForMode(int mode) const override;
};

}  // namespace engine
