#include "support/fault_vfs.h"

#include <cstring>
#include <mutex>

namespace torvane::testing {
namespace {

constexpr const char* kVfsName = "torvane-fault";

struct Fault {
  bool armed = false;
  FileCall call = FileCall::kWrite;
  int nth = 0;
  int code = SQLITE_IOERR;
  bool sticky = true;
  FaultFiles files = FaultFiles::kAll;
  int calls = 0;
  int failures = 0;
};

Fault fault;
// Guards `fault`: the program's worker threads (a backup, a count) make file calls of their own.
std::mutex fault_mutex;
sqlite3_vfs* real_vfs = nullptr;
sqlite3_vfs fault_vfs;
sqlite3_io_methods fault_methods;

// The layer's file: the real file's object follows it in the same allocation.
struct FaultFile {
  sqlite3_file base;
  sqlite3_file* real;
  bool database;
};

sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<FaultFile*>(file)->real; }

// The code this call is to fail with, SQLITE_OK when it is not to fail; counts it when it is of the
// fault's kind on the fault's files.
int Fails(sqlite3_file* file, FileCall call) {
  std::lock_guard<std::mutex> lock(fault_mutex);
  if (!fault.armed || fault.call != call) return SQLITE_OK;
  const bool database = reinterpret_cast<FaultFile*>(file)->database;
  if ((fault.files == FaultFiles::kDatabase && !database) ||
      (fault.files == FaultFiles::kJournal && database)) {
    return SQLITE_OK;
  }
  ++fault.calls;
  const bool fails = fault.sticky ? fault.calls >= fault.nth : fault.calls == fault.nth;
  if (!fails) return SQLITE_OK;
  ++fault.failures;
  return fault.code;
}

int Close(sqlite3_file* file) {
  sqlite3_file* real = Real(file);
  const int rc = real->pMethods != nullptr ? real->pMethods->xClose(real) : SQLITE_OK;
  file->pMethods = nullptr;
  return rc;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  if (const int rc = Fails(file, FileCall::kRead)) return rc;
  return Real(file)->pMethods->xRead(Real(file), buffer, amount, offset);
}

int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  if (const int rc = Fails(file, FileCall::kWrite)) return rc;
  return Real(file)->pMethods->xWrite(Real(file), buffer, amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  if (const int rc = Fails(file, FileCall::kTruncate)) return rc;
  return Real(file)->pMethods->xTruncate(Real(file), size);
}

int Sync(sqlite3_file* file, int flags) {
  if (const int rc = Fails(file, FileCall::kSync)) return rc;
  return Real(file)->pMethods->xSync(Real(file), flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  if (const int rc = Fails(file, FileCall::kFileSize)) return rc;
  return Real(file)->pMethods->xFileSize(Real(file), size);
}

int Lock(sqlite3_file* file, int level) {
  if (const int rc = Fails(file, FileCall::kLock)) return rc;
  return Real(file)->pMethods->xLock(Real(file), level);
}

int Unlock(sqlite3_file* file, int level) {
  return Real(file)->pMethods->xUnlock(Real(file), level);
}

int CheckReservedLock(sqlite3_file* file, int* out) {
  return Real(file)->pMethods->xCheckReservedLock(Real(file), out);
}

int FileControl(sqlite3_file* file, int op, void* arg) {
  return Real(file)->pMethods->xFileControl(Real(file), op, arg);
}

int SectorSize(sqlite3_file* file) { return Real(file)->pMethods->xSectorSize(Real(file)); }

int DeviceCharacteristics(sqlite3_file* file) {
  return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}

int ShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out) {
  return Real(file)->pMethods->xShmMap(Real(file), page, size, extend, out);
}

int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  return Real(file)->pMethods->xShmLock(Real(file), offset, n, flags);
}

void ShmBarrier(sqlite3_file* file) { Real(file)->pMethods->xShmBarrier(Real(file)); }

int ShmUnmap(sqlite3_file* file, int remove) {
  return Real(file)->pMethods->xShmUnmap(Real(file), remove);
}

int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
  // Pages handed out from a memory map would bypass the reads the fault counts.
  *out = nullptr;
  (void)file;
  (void)offset;
  (void)amount;
  return SQLITE_OK;
}

int Unfetch(sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; }

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
  auto* ours = reinterpret_cast<FaultFile*>(file);
  ours->real = reinterpret_cast<sqlite3_file*>(ours + 1);
  ours->database = (flags & SQLITE_OPEN_MAIN_DB) != 0 || (flags & SQLITE_OPEN_TEMP_DB) != 0;
  std::memset(ours->real, 0, static_cast<std::size_t>(real_vfs->szOsFile));
  const int rc = real_vfs->xOpen(real_vfs, name, ours->real, flags, out_flags);
  // The engine calls xClose after a failed open only when pMethods is set.
  file->pMethods = ours->real->pMethods != nullptr ? &fault_methods : nullptr;
  return rc;
}

int Delete(sqlite3_vfs*, const char* name, int sync) {
  return real_vfs->xDelete(real_vfs, name, sync);
}

int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
  return real_vfs->xAccess(real_vfs, name, flags, out);
}

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return real_vfs->xFullPathname(real_vfs, name, size, out);
}

}  // namespace

ScopedFaultVfs::ScopedFaultVfs() {
  std::lock_guard<std::mutex> lock(fault_mutex);
  fault = Fault();
  real_vfs = sqlite3_vfs_find(nullptr);
  fault_vfs = *real_vfs;
  fault_vfs.zName = kVfsName;
  fault_vfs.pNext = nullptr;
  fault_vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + real_vfs->szOsFile;
  fault_vfs.xOpen = Open;
  fault_vfs.xDelete = Delete;
  fault_vfs.xAccess = Access;
  fault_vfs.xFullPathname = FullPathname;
  fault_methods = sqlite3_io_methods{};
  fault_methods.iVersion = 3;
  fault_methods.xClose = Close;
  fault_methods.xRead = Read;
  fault_methods.xWrite = Write;
  fault_methods.xTruncate = Truncate;
  fault_methods.xSync = Sync;
  fault_methods.xFileSize = FileSize;
  fault_methods.xLock = Lock;
  fault_methods.xUnlock = Unlock;
  fault_methods.xCheckReservedLock = CheckReservedLock;
  fault_methods.xFileControl = FileControl;
  fault_methods.xSectorSize = SectorSize;
  fault_methods.xDeviceCharacteristics = DeviceCharacteristics;
  fault_methods.xShmMap = ShmMap;
  fault_methods.xShmLock = ShmLock;
  fault_methods.xShmBarrier = ShmBarrier;
  fault_methods.xShmUnmap = ShmUnmap;
  fault_methods.xFetch = Fetch;
  fault_methods.xUnfetch = Unfetch;
  sqlite3_vfs_register(&fault_vfs, 1);
}

ScopedFaultVfs::~ScopedFaultVfs() {
  std::lock_guard<std::mutex> lock(fault_mutex);
  fault = Fault();
  sqlite3_vfs_unregister(&fault_vfs);
  sqlite3_vfs_register(real_vfs, 1);
}

void ScopedFaultVfs::Fail(FileCall call, int nth, int code, bool sticky, FaultFiles files) {
  std::lock_guard<std::mutex> lock(fault_mutex);
  fault = Fault{true, call, nth, code, sticky, files, 0, 0};
}

void ScopedFaultVfs::Heal() {
  std::lock_guard<std::mutex> lock(fault_mutex);
  fault.armed = false;
}

int ScopedFaultVfs::failures() const {
  std::lock_guard<std::mutex> lock(fault_mutex);
  return fault.failures;
}

int ScopedFaultVfs::calls() const {
  std::lock_guard<std::mutex> lock(fault_mutex);
  return fault.calls;
}

}  // namespace torvane::testing
