#pragma once
// The archive engine's enumerations, option objects, the search record and the event types.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace engine {

class TZABaseArchiver;

enum TZACompressionLevel { clNone, clFastest, clNormal, clMax };
enum TZACryptoAlgorithm { caPkzipClassic, caAES_128, caAES_192, caAES_256 };
enum TZAProcessOperation {
  poAdd, poMove, poDelete, poUpdate, poExtract, poTest, poRename, poChangeAttr,
  poChangeComment, poMakeSFX, poMerge
};
enum TZAProgressPhase { ppStart, ppProcess, ppEnd };
enum TZAAction { fxaRetry, fxaIgnore, fxaAbort };
enum TZAOverwriteMode { omPrompt, omAlways, omNever, omIfNewer, omIfOlder };
enum TZAFileShareMode {
  smShareCompat, smShareExclusive, smShareDenyWrite, smShareDenyRead, smShareDenyNone
};
enum TZAStorePathMode { spNoPath, spRelativePath, spFullPath, spFullPathWithDrive };
enum TZip64Mode { zmDisabled, zmAuto, zmAlways };
enum TZASpanningMode { smNone, smSpanning, smSplitting };
enum TZAVolumeSize {
  vsAutoDetect, vsCustom, vs1_44MB, vs100MB, vs200MB, vs250MB, vs600MB, vs650MB, vs700MB,
  vs4700MB
};

// Windows attribute bits the engine reads and writes.
constexpr std::uint32_t kFaReadOnly = 0x01, kFaHidden = 0x02, kFaSysFile = 0x04,
                        kFaVolumeId = 0x08, kFaDirectory = 0x10, kFaArchive = 0x20;
// Every kind of file: the set the program passes to AddFiles and ExtractFiles.
constexpr int kFaAnyFile = 10431;  // 0x28BF

struct TZAOptions {
  bool Recurse = true;
  TZAStorePathMode StorePath = spRelativePath;
  TZAFileShareMode ShareMode = smShareDenyNone;
  TZAOverwriteMode OverwriteMode = omAlways;
  bool CreateDirs = true;
  bool ReplaceReadOnly = true;
  bool SetAttributes = true;
  int SearchAttr = kFaAnyFile;
  bool FlushBuffers = true;
  bool OEMFileNames = true;
};

// Multi-volume settings: published, never used by this program.
struct TZASpanningOptions {
  bool AdvancedNaming = true;
  int FirstVolumeSize = 0;
  std::string VolumeNumberFormat;
  TZAVolumeSize VolumeSize = vsAutoDetect;
  std::int64_t CustomVolumeSize = 65536;
};

struct TInternalSearchRec {
  int ItemNo = 0;
  std::string FileMask;  // "/" separators, at most 259 characters
  bool HasWildcards = false;
  int SearchAttr = 0;
  std::string ExclusionMask;
  bool UseMaskLists = false;
};

struct TZAArchiveItem {
  std::string FileName;    // name part, backslash form
  std::string StoredPath;  // folder part ending in "\" ("" at the root)
  std::int64_t CompressedSize = 0;
  std::int64_t UncompressedSize = 0;
  double CompressionRate = 0.0;
  bool Encrypted = false;
  std::uint16_t DosDate = 0;
  std::uint16_t DosTime = 0;
  std::uint32_t Crc32 = 0;
  std::uint32_t ExternalAttributes = 0;
  std::string Comment;  // raw bytes
  TInternalSearchRec SearchState;
};

using TNotifyEvent = std::function<void(TZABaseArchiver* Sender)>;
using TZAFileProgressEvent =
    std::function<void(TZABaseArchiver* Sender, const std::string& FileName, double Progress,
                       TZAProcessOperation Operation, TZAProgressPhase ProgressPhase,
                       bool& Cancel)>;
using TZAProgressEvent =
    std::function<void(TZABaseArchiver* Sender, double Progress, TZAProcessOperation Operation,
                       TZAProgressPhase ProgressPhase, bool& Cancel)>;
using TZACopyTempFileProgressEvent = std::function<void(
    TZABaseArchiver* Sender, double Progress, TZAProgressPhase ProgressPhase, bool& Cancel)>;
using TZAConfirmOverwriteEvent =
    std::function<void(TZABaseArchiver* Sender, const std::string& SourceFileName,
                       std::string& DestFileName, bool& Confirm)>;
using TZAConfirmProcessFileEvent =
    std::function<void(TZABaseArchiver* Sender, const std::string& FileName,
                       TZAProcessOperation Operation, bool& Confirm)>;
using TZAOnPasswordEvent = std::function<void(
    TZABaseArchiver* Sender, const std::string& FileName, std::string& NewPassword,
    bool& SkipFile)>;
using TZAProcessFileFailureEvent = std::function<void(
    TZABaseArchiver* Sender, const std::string& FileName, TZAProcessOperation Operation,
    int NativeError, int ErrorCode, const std::string& ErrorMessage, TZAAction& Action)>;
using TZAOnRequestVolumeEvent = std::function<void(
    TZABaseArchiver* Sender, int VolumeNumber, std::string& VolumeFileName, bool& Cancel)>;
using TZAOnDiskFullEvent =
    std::function<void(TZABaseArchiver* Sender, int VolumeNumber,
                       const std::string& VolumeFileName, bool& Cancel)>;
using TZAOnStoreFileEvent = std::function<void(
    TZABaseArchiver* Sender, std::string& FileName, int& FileAttr, std::string& Comment,
    const std::string& OriginalFileName)>;
using TZAOnExtractFileEvent =
    std::function<void(TZABaseArchiver* Sender, std::string& FileName, std::uint32_t& FileAttr,
                       const std::string& Comment)>;

// The dialogs behind unassigned events. The windows layer installs one; without it the
// engine answers as a user who cannot be asked would: skip the member, abort on failure,
// and keep an existing file.
class TZAPrompt {
 public:
  enum class OverwriteAnswer { kYes, kNo, kNoToAll, kYesToAll };
  virtual ~TZAPrompt() = default;
  // "Password for "%s"": true with the typed text, false for Cancel.
  virtual bool AskPassword(const std::string& memberName, std::string& password) = 0;
  // The failure message with Abort/Ignore (canRetry false) or Abort/Retry/Ignore.
  virtual TZAAction AskFailure(const std::string& message, bool canRetry) = 0;
  // "Overwrite file "%s" with "%s"".
  virtual OverwriteAnswer AskOverwrite(const std::string& existing,
                                       const std::string& replacement) = 0;
};

// The process-wide prompt (none by default); an archiver's own Prompt member wins.
void SetDefaultZAPrompt(TZAPrompt* prompt) noexcept;
TZAPrompt* DefaultZAPrompt() noexcept;

}  // namespace engine
