#include <stdexcept>

#include "engine/za_lock.h"
#include "engine/zip_archiver.h"
#include "engine/zip_directory_io.h"
#include "engine/zip_names.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/temp_folder.h"
#include "platform/win_error.h"

namespace engine {

namespace {
TZAPrompt* g_defaultPrompt = nullptr;
}  // namespace

void SetDefaultZAPrompt(TZAPrompt* prompt) noexcept { g_defaultPrompt = prompt; }
TZAPrompt* DefaultZAPrompt() noexcept { return g_defaultPrompt; }

std::recursive_mutex& ZAProcessLock() {
  static std::recursive_mutex lock;
  return lock;
}

TZABaseArchiver::TZABaseArchiver(std::string name) : Name(std::move(name)) {}

TZABaseArchiver::~TZABaseArchiver() {
  try {
    CloseArchive();
  } catch (...) {
    // A destructor must not throw; the archive stays as the last commit left it.
  }
}

EZAException TZABaseArchiver::Error(int nativeError, const std::vector<std::string>& args) const {
  return EZAException(nativeError, Name, args);
}

void TZABaseArchiver::SetCompressionLevel(TZACompressionLevel level) {
  static constexpr int kModes[] = {0, 1, 6, 9};
  compressionLevel_ = level;
  compressionMode_ = kModes[static_cast<int>(level) & 3];
  newMemberMethod_ = MethodForMode(compressionMode_);
}

void TZABaseArchiver::SetCompressionMode(int mode) {
  if (mode < 0 || mode > 9) throw Error(5);
  compressionMode_ = mode;
  compressionLevel_ = mode == 0 ? clNone : mode <= 3 ? clFastest : mode <= 6 ? clNormal : clMax;
  newMemberMethod_ = MethodForMode(compressionMode_);
}

void TZABaseArchiver::SetSpanningMode(TZASpanningMode mode) {
  if (active_) throw std::runtime_error("Cannot set spanning mode on open archive");
  spanningMode_ = mode;
}

std::uint16_t TZABaseArchiver::MethodForMode(int mode) const { return mode == 0 ? 0 : 8; }

const std::string& TZABaseArchiver::ArchiveComment() const {
  static const std::string kEmpty;
  return dir_ ? dir_->Comment : kEmpty;
}

TZipArchiver::TZipArchiver(std::string name) : TZABaseArchiver(std::move(name)) {
  Zip64Mode = zmDisabled;
}

std::uint16_t TZipArchiver::MethodForMode(int mode) const { return mode != 0 ? 8 : 0; }

// ---- opening and closing ----

void TZABaseArchiver::OpenArchive() {
  if (!InMemory && NamePart(FileName).empty()) throw Error(9);
  auto& fs = platform::DefaultFileSystem();
  if (InMemory || !fs.FileExists(FileName)) {
    OpenArchive(kModeCreate);
    return;
  }
  try {
    TFileStream probe(FileName, platform::OpenMode::kReadWrite);
    probe.Close();
  } catch (const platform::OsError&) {
    OpenArchive(kModeReadDenyNone);
    return;
  }
  OpenArchive(kModeReadWriteDenyWrite);
}

void TZABaseArchiver::OpenArchive(std::uint16_t mode) {
  if (!InMemory && NamePart(FileName).empty()) throw Error(10);
  auto& fs = platform::DefaultFileSystem();
  if (mode != kModeCreate && !fs.FileExists(FileName) && spanningMode_ != smSpanning) {
    throw Error(12, {FileName});
  }
  if (mode != kModeCreate && InMemory) throw Error(28, {FileName});
  std::unique_ptr<TZAStream> stream;
  if (InMemory) {
    stream = std::make_unique<TMemoryStream>();
  } else {
    platform::OpenMode how = mode == kModeCreate ? platform::OpenMode::kCreate
                             : (mode & 3) == 0   ? platform::OpenMode::kRead
                                                 : platform::OpenMode::kReadWrite;
    try {
      stream = std::make_unique<TFileStream>(FileName, how);
    } catch (const platform::OsError&) {
      if (mode == kModeCreate) throw Error(19, {FileName});
      throw Error(mode == kModeCreate ? 19 : 12, {FileName});
    }
  }
  openPath_ = InMemory ? std::string() : FileName;
  OpenArchive(std::move(stream), InMemory ? kModeCreate : mode);
}

void TZABaseArchiver::OpenArchive(std::unique_ptr<TZAStream> stream, std::uint16_t mode) {
  if (active_) CloseArchive();
  fileMode_ = mode;
  auto dir = std::make_unique<TZADirManager>();
  if (mode == kModeCreate) {
    stream->Truncate(0);
    if (!SFXStub.empty()) {
      TFileStream stub(SFXStub, platform::OpenMode::kRead);
      std::vector<std::uint8_t> buf(65536);
      while (std::size_t n = stub.Read(buf)) stream->Write({buf.data(), n});
      dir->StubSize = stream->Size();
      dir->DirectoryOffset = dir->StubSize;
    }
  } else {
    ReadArchiveDirectory(*stream, *dir, Options.OEMFileNames);
  }
  stream_ = std::move(stream);
  dir_ = std::move(dir);
  active_ = true;
  if (AfterOpen) AfterOpen(this);
}

void TZABaseArchiver::WriteEmptyDirectoryIfUnwritten() {
  if (stream_->Size() != dir_->StubSize) return;
  stream_->Seek(dir_->StubSize);
  WriteCentralDirectory(*stream_, *dir_, Options.OEMFileNames);
  if (Options.FlushBuffers) stream_->Flush();
}

void TZABaseArchiver::CloseArchive() {
  if (active_) {
    if (updateDepth_ > 0) {
      try {
        updateDepth_ = 1;
        EndUpdate();
      } catch (...) {
        // Closing always succeeds; the commit rolled itself back.
      }
    }
    try {
      if (fileMode_ == kModeCreate || (fileMode_ & 3) != 0) WriteEmptyDirectoryIfUnwritten();
    } catch (...) {
      stream_.reset();
      dir_.reset();
      active_ = false;
      updateDepth_ = 0;
      throw;
    }
  }
  stream_.reset();
  dir_.reset();
  active_ = false;
  updateDepth_ = 0;
}

void TZABaseArchiver::RequireOpen() const {
  if (!active_ || !stream_ || !dir_) throw Error(13);
}

std::int64_t TZABaseArchiver::Size() {
  RequireOpen();
  return static_cast<std::int64_t>(stream_->Size());
}

int TZABaseArchiver::FileCount() {
  RequireOpen();
  const bool recurse = Options.Recurse;
  Options.Recurse = true;
  int folders = 0;
  try {
    TZAArchiveItem item;
    for (bool found = FindFirst("*.*", item, kFaDirectory); found; found = FindNext(item)) {
      if (item.ExternalAttributes & kFaDirectory) ++folders;
    }
  } catch (...) {
    Options.Recurse = recurse;
    throw;
  }
  Options.Recurse = recurse;
  return dir_->Current.Count() - folders;
}

// ---- update transaction ----

void TZABaseArchiver::BeginUpdate() {
  if (updateDepth_ == 0) {
    if (!active_) OpenArchive();
    // Modes 0 and 64 open the file for reading only: neither can take an update.
    if (fileMode_ != kModeCreate && (fileMode_ & 3) == 0) throw Error(32);
    auto& cur = dir_->Current;
    for (int i = 0; i < cur.Count(); ++i) {
      if (cur.Raw(i)->Modified) cur.Item(i).Modified = false;
    }
    dir_->Rollback.Assign(cur);
  }
  ++updateDepth_;
}

void TZABaseArchiver::EndUpdate() {
  if (updateDepth_ <= 0) return;
  if (updateDepth_ == 1) {
    Commit();
    return;
  }
  --updateDepth_;
}

void TZABaseArchiver::CancelUpdate() {
  if (updateDepth_ > 0) updateDepth_ = 0;
}

std::string TZABaseArchiver::ResolvedWorkDir() {
  if (workDir_.empty()) workDir_ = platform::CurrentFolder();
  return workDir_;
}

// ---- events and their default behaviours ----

TZAPrompt* TZABaseArchiver::ActivePrompt() const {
  return Prompt != nullptr ? Prompt : DefaultZAPrompt();
}

bool TZABaseArchiver::FireFileProgress(const std::string& name, double progress,
                                       TZAProcessOperation op, TZAProgressPhase phase) {
  if (OnFileProgress) {
    bool cancel = false;
    OnFileProgress(this, name, progress, op, phase, cancel);
    if (cancel) cancelled_ = true;
  }
  return cancelled_;
}

bool TZABaseArchiver::FireOverallProgress(double progress, TZAProcessOperation op,
                                          TZAProgressPhase phase) {
  if (OnOverallProgress) {
    bool cancel = false;
    OnOverallProgress(this, progress, op, phase, cancel);
    if (cancel) cancelled_ = true;
  }
  return cancelled_;
}

TZAAction TZABaseArchiver::FireProcessFileFailure(const std::string& name,
                                                  TZAProcessOperation op,
                                                  const EZAException& e) {
  TZAAction action = fxaIgnore;
  if (OnProcessFileFailure) {
    OnProcessFileFailure(this, name, op, e.NativeError, e.ErrorCode, e.what(), action);
    return action;
  }
  if (e.NativeError == 45) return fxaAbort;
  TZAPrompt* prompt = ActivePrompt();
  if (prompt == nullptr) return fxaAbort;  // nobody to ask: stop rather than guess
  if (e.NativeError == 61) {
    TZAAction a = prompt->AskFailure(e.what(), false);
    return a == fxaIgnore ? fxaIgnore : fxaAbort;
  }
  return prompt->AskFailure(std::string(e.what()) + ". File processing error, possibly disk is full",
                            true);
}

bool TZABaseArchiver::FireConfirmProcessFile(const std::string& name, TZAProcessOperation op) {
  bool confirm = true;
  if (OnConfirmProcessFile) OnConfirmProcessFile(this, name, op, confirm);
  return confirm;
}

bool TZABaseArchiver::FireConfirmOverwrite(const std::string& source, std::string& dest,
                                           bool confirmStart) {
  bool confirm = confirmStart;
  if (OnConfirmOverwrite) {
    OnConfirmOverwrite(this, source, dest, confirm);
    return confirm;
  }
  TZAPrompt* prompt = ActivePrompt();
  if (prompt == nullptr) return false;  // keep what is there
  switch (prompt->AskOverwrite(dest, source)) {
    case TZAPrompt::OverwriteAnswer::kYes:
      return true;
    case TZAPrompt::OverwriteAnswer::kNo:
      return false;
    case TZAPrompt::OverwriteAnswer::kNoToAll:
      Options.OverwriteMode = omNever;
      return false;
    case TZAPrompt::OverwriteAnswer::kYesToAll:
      Options.OverwriteMode = omAlways;
      return true;
  }
  return false;
}

void TZABaseArchiver::FirePassword(const std::string& memberName) {
  bool skip = false;
  if (OnPassword) {
    std::string pw = password_;
    OnPassword(this, memberName, pw, skip);
    // The same wrong password again would ask forever: take it as a skip.
    if (pw == password_) skip = true;
    SetPassword(pw);
  } else {
    TZAPrompt* prompt = ActivePrompt();
    std::string typed;
    if (prompt != nullptr && prompt->AskPassword(memberName, typed)) {
      SetPassword(typed.substr(0, 255));
    } else {
      skip = true;
    }
  }
  if (skip) skipFile_ = true;
}

void TZABaseArchiver::DiskFull(const std::string& volumeName) {
  if (!OnDiskFull) {
    if (spanningMode_ != smSpanning) throw EZAException(65);
    cancelled_ = true;
    return;
  }
  bool cancel = true;
  OnDiskFull(this, 0, volumeName, cancel);
  if (cancel) cancelled_ = true;
}

}  // namespace engine
