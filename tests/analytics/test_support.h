#pragma once
// Doubles shared by the analytics tests: a settable clock, predictable
// GUIDs, a scratch folder on the real file system, a file system rooted in
// that folder, and a sender that records what would go on the wire.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "analytics/file_system.h"
#include "analytics/http_form_client.h"
#include "analytics/system_services.h"

namespace plumeta::testing {

class FakeClock final : public Clock {
 public:
  std::uint32_t tick = 0;
  std::uint32_t TickCount() override { return tick; }
};

// GUIDs 1, 2, 3... in data1, so ids read in creation order.
class CountingGuids final : public GuidSource {
 public:
  std::uint32_t next = 1;
  Guid NewGuid() override {
    Guid g;
    g.data1 = next++;
    return g;
  }
};

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Ends in the system separator.
  const std::u16string& path() const { return path_; }
  std::u16string File(std::u16string_view name) const { return path_ + std::u16string(name); }

 private:
  std::u16string path_;
};

std::filesystem::path ToFsPath(const std::u16string& path);

struct WriteFaults {
  bool failWrites = false;
  // Counts down on each write; the write that reaches 0 throws.
  int throwOnWrite = 0;
  int writes = 0;

  // Whether the write may go ahead.
  bool Allow() {
    ++writes;
    if (throwOnWrite > 0 && --throwOnWrite == 0) throw std::runtime_error("write failed");
    return !failWrites;
  }
};

// A system folder whose writes, and those of its subfolders, obey `faults`.
class FaultyFolder final : public Folder {
 public:
  FaultyFolder(std::unique_ptr<Folder> folder, WriteFaults& faults)
      : folder_(std::move(folder)), faults_(faults) {}
  std::unique_ptr<Folder> OpenSubfolder(std::u16string_view name, FolderRefusal& why) override {
    auto sub = folder_->OpenSubfolder(name, why);
    return sub ? std::make_unique<FaultyFolder>(std::move(sub), faults_) : nullptr;
  }
  std::optional<std::vector<FolderEntry>> List() override { return folder_->List(); }
  FileFacts Facts(std::u16string_view name) override { return folder_->Facts(name); }
  std::optional<std::string> Read(std::u16string_view name, std::uint64_t limit) override {
    return folder_->Read(name, limit);
  }
  bool Write(std::u16string_view name, std::string_view bytes) override {
    return faults_.Allow() && folder_->Write(name, bytes);
  }
  bool Remove(std::u16string_view name) override { return folder_->Remove(name); }
  bool Rename(std::u16string_view from, std::u16string_view to) override { return folder_->Rename(from, to); }
  bool SetModifiedTime(std::u16string_view name, std::int64_t seconds) override {
    return folder_->SetModifiedTime(name, seconds);
  }
  std::unique_ptr<FolderLock> Lock(std::u16string_view name, std::uint32_t waitMs) override {
    return folder_->Lock(name, waitMs);
  }
  std::u16string UniqueText() override { return folder_->UniqueText(); }

 private:
  std::unique_ptr<Folder> folder_;
  WriteFaults& faults_;
};

// The system file system with its temporary folder moved into a scratch
// folder; writes can be made to fail or throw, and its present time moved.
class RootedFiles final : public FileSystem, public WriteFaults {
 public:
  explicit RootedFiles(std::u16string temp) : system_(MakeSystemFileSystem()), temp_(std::move(temp)) {}

  std::int64_t nowShift = 0;

  char16_t Separator() const override { return system_->Separator(); }
  std::u16string TempFolder() override { return temp_; }
  bool MakeFolders(const std::u16string& path) override { return system_->MakeFolders(path); }
  std::optional<std::string> ReadBytes(const std::u16string& path) override {
    return system_->ReadBytes(path);
  }
  bool WriteBytes(const std::u16string& path, std::string_view bytes) override {
    return Allow() && system_->WriteBytes(path, bytes);
  }
  bool RemoveFile(const std::u16string& path) override { return system_->RemoveFile(path); }
  EntryKind Kind(const std::u16string& path) override { return system_->Kind(path); }
  std::optional<std::int64_t> ModifiedTime(const std::u16string& path) override {
    return system_->ModifiedTime(path);
  }
  bool SetModifiedTime(const std::u16string& path, std::int64_t seconds) override {
    return system_->SetModifiedTime(path, seconds);
  }
  std::int64_t Now() override { return system_->Now() + nowShift; }
  std::optional<std::vector<FolderEntry>> ListFolder(const std::u16string& path) override {
    return system_->ListFolder(path);
  }
  std::unique_ptr<Folder> OpenFolder(const std::u16string& path) override {
    auto folder = system_->OpenFolder(path);
    return folder ? std::make_unique<FaultyFolder>(std::move(folder), *this) : nullptr;
  }

 private:
  std::unique_ptr<FileSystem> system_;
  std::u16string temp_;
};

// Records every request; can fail with a client error code.
class RecordingSender final : public FormSender {
 public:
  explicit RecordingSender(std::vector<FormRequest>& log, int failWith = 0)
      : log_(log), failWith_(failWith) {}
  FormResponse Send(const FormRequest& request) override {
    if (failWith_ != 0) throw ClientExcept(failWith_);
    log_.push_back(request);
    return {200, u"ok"};
  }

 private:
  std::vector<FormRequest>& log_;
  int failWith_;
};

std::string ReadAll(const std::u16string& path);
// Makes another user the owner of the path; false where a test cannot.
bool GiveToAnotherUser(const std::u16string& path);
// Lets other users add files to the folder; false where a test cannot.
bool OpenToOthers(const std::u16string& path);
void WriteAll(const std::u16string& path, std::string_view bytes);

}  // namespace plumeta::testing
