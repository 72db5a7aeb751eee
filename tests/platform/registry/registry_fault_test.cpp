// A disk that fills up in the middle of a write: a SQLite VFS over the real one that fails the Nth
// write with SQLITE_FULL. Swept over every write of a call, the call either succeeds whole or fails
// with ERROR_CANTWRITE and leaves the store as it was, and the store opens afterwards.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "omraplatform/registry.h"
#include "registry_test_util.h"
#include "test_support.h"

using omra::test::KeyHandle;
using omra::test::query;
using omra::test::set_string;
using omra::test::subkeys;

namespace {

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_full_disk;
sqlite3_io_methods g_methods;
// Writes left before the disk is full; negative: never full.
int g_writes_left = -1;
bool g_disk_filled = false;

struct FaultFile {
  sqlite3_file base;
  sqlite3_file *real;
};

sqlite3_file *real_of(sqlite3_file *file) { return reinterpret_cast<FaultFile *>(file)->real; }

int fault_write(sqlite3_file *file, const void *data, int amount, sqlite3_int64 offset) {
  if (g_writes_left == 0) {
    g_disk_filled = true;
    return SQLITE_FULL;
  }
  if (g_writes_left > 0) --g_writes_left;
  return real_of(file)->pMethods->xWrite(real_of(file), data, amount, offset);
}

int fault_close(sqlite3_file *file) { return real_of(file)->pMethods->xClose(real_of(file)); }
int fault_read(sqlite3_file *f, void *d, int n, sqlite3_int64 o) { return real_of(f)->pMethods->xRead(real_of(f), d, n, o); }
int fault_truncate(sqlite3_file *f, sqlite3_int64 n) { return real_of(f)->pMethods->xTruncate(real_of(f), n); }
int fault_sync(sqlite3_file *f, int flags) { return real_of(f)->pMethods->xSync(real_of(f), flags); }
int fault_size(sqlite3_file *f, sqlite3_int64 *n) { return real_of(f)->pMethods->xFileSize(real_of(f), n); }
int fault_lock(sqlite3_file *f, int l) { return real_of(f)->pMethods->xLock(real_of(f), l); }
int fault_unlock(sqlite3_file *f, int l) { return real_of(f)->pMethods->xUnlock(real_of(f), l); }
int fault_check(sqlite3_file *f, int *out) { return real_of(f)->pMethods->xCheckReservedLock(real_of(f), out); }
int fault_control(sqlite3_file *f, int op, void *arg) { return real_of(f)->pMethods->xFileControl(real_of(f), op, arg); }
int fault_sector(sqlite3_file *f) { return real_of(f)->pMethods->xSectorSize(real_of(f)); }
int fault_device(sqlite3_file *f) { return real_of(f)->pMethods->xDeviceCharacteristics(real_of(f)); }
int fault_shm_map(sqlite3_file *f, int i, int size, int extend, void volatile **p) {
  return real_of(f)->pMethods->xShmMap(real_of(f), i, size, extend, p);
}
int fault_shm_lock(sqlite3_file *f, int offset, int n, int flags) {
  return real_of(f)->pMethods->xShmLock(real_of(f), offset, n, flags);
}
void fault_shm_barrier(sqlite3_file *f) { real_of(f)->pMethods->xShmBarrier(real_of(f)); }
int fault_shm_unmap(sqlite3_file *f, int remove) { return real_of(f)->pMethods->xShmUnmap(real_of(f), remove); }
int fault_fetch(sqlite3_file *f, sqlite3_int64 o, int n, void **p) { return real_of(f)->pMethods->xFetch(real_of(f), o, n, p); }
int fault_unfetch(sqlite3_file *f, sqlite3_int64 o, void *p) { return real_of(f)->pMethods->xUnfetch(real_of(f), o, p); }

int fault_open(sqlite3_vfs *vfs, const char *name, sqlite3_file *file, int flags, int *out_flags) {
  auto *wrapper = reinterpret_cast<FaultFile *>(file);
  wrapper->real = reinterpret_cast<sqlite3_file *>(wrapper + 1);
  wrapper->base.pMethods = nullptr;
  int rc = g_real->xOpen(g_real, name, wrapper->real, flags, out_flags);
  if (rc == SQLITE_OK && wrapper->real->pMethods) {
    g_methods = *wrapper->real->pMethods;
    g_methods.xClose = fault_close;
    g_methods.xRead = fault_read;
    g_methods.xWrite = fault_write;
    g_methods.xTruncate = fault_truncate;
    g_methods.xSync = fault_sync;
    g_methods.xFileSize = fault_size;
    g_methods.xLock = fault_lock;
    g_methods.xUnlock = fault_unlock;
    g_methods.xCheckReservedLock = fault_check;
    g_methods.xFileControl = fault_control;
    g_methods.xSectorSize = fault_sector;
    g_methods.xDeviceCharacteristics = fault_device;
    if (g_methods.iVersion >= 2) {
      g_methods.xShmMap = fault_shm_map;
      g_methods.xShmLock = fault_shm_lock;
      g_methods.xShmBarrier = fault_shm_barrier;
      g_methods.xShmUnmap = fault_shm_unmap;
    }
    if (g_methods.iVersion >= 3) {
      g_methods.xFetch = fault_fetch;
      g_methods.xUnfetch = fault_unfetch;
    }
    wrapper->base.pMethods = &g_methods;
  }
  return rc;
}

// Installed as the default VFS of the process before the registry opens its first store.
class FullDisk : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_real = sqlite3_vfs_find(nullptr);
    g_full_disk = *g_real;
    g_full_disk.zName = "omra-full-disk";
    g_full_disk.szOsFile = static_cast<int>(sizeof(FaultFile)) + g_real->szOsFile;
    g_full_disk.xOpen = fault_open;
    sqlite3_vfs_register(&g_full_disk, 1);
  }
  void TearDown() override { g_writes_left = -1; }
};

// Runs write with the disk filling after 0, 1, 2, ... writes until it gets through; check(true) after
// each success, check(false) after each failure, with the disk no longer full.
template <typename Write, typename Check>
void sweep(Write write, Check check) {
  int failed = 0;
  for (int allowed = 0; allowed < 200; ++allowed) {
    g_disk_filled = false;
    g_writes_left = allowed;
    LONG status = write(allowed);
    bool filled = g_disk_filled;
    g_writes_left = -1;
    if (!filled) {
      ASSERT_EQ(status, ERROR_SUCCESS) << "after " << allowed << " writes";
      check(allowed, true);
      EXPECT_GT(failed, 0) << "the disk never filled in the middle of the call";
      return;
    }
    // A full disk met after the commit (a checkpoint) does not undo it.
    ASSERT_TRUE(status == ERROR_CANTWRITE || status == ERROR_SUCCESS) << status << " after " << allowed;
    failed += status != ERROR_SUCCESS;
    check(allowed, status == ERROR_SUCCESS);
  }
  FAIL() << "the write never got through";
}

}  // namespace

TEST_F(FullDisk, AFailedValueWriteLeavesTheStoreAsItWas) {
  KeyHandle key;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Full", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(set_string(key, "before", "kept"), ERROR_SUCCESS);
  int written = 0;
  sweep([&](int n) { return set_string(key, ("v" + std::to_string(n)).c_str(), std::string(3000, 'd')); },
        [&](int n, bool ok) {
          written += ok;
          std::string name = "v" + std::to_string(n);
          EXPECT_EQ(query(key, name.c_str()) == "<error 2>", !ok) << name;
          EXPECT_EQ(query(key, "before"), std::string("kept", 5));
        });
  EXPECT_GE(written, 1);
  // Opened afresh, the store passes its check and holds what was written.
  setenv("OMRA_USER_REGISTRY", (omra::test::temp_dir() + "/elsewhere.db").c_str(), 1);
  EXPECT_TRUE(subkeys(HKEY_CURRENT_USER).empty());
  setenv("OMRA_USER_REGISTRY", (omra::test::temp_dir() + "/user-registry.db").c_str(), 1);
  KeyHandle again;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Full", 0, KEY_READ, again.out()), ERROR_SUCCESS);
  EXPECT_EQ(query(again, "before"), std::string("kept", 5));
}

TEST_F(FullDisk, AFailedKeyCreationMakesNoLevelOfIt) {
  sweep(
      [&](int n) {
        HKEY key = nullptr;
        std::string path = "SOFTWARE\\Made" + std::to_string(n) + "\\Two\\Three";
        LONG status = RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (status == ERROR_SUCCESS) RegCloseKey(key);
        return status;
      },
      [&](int n, bool ok) {
        HKEY key = nullptr;
        std::string top = "SOFTWARE\\Made" + std::to_string(n);
        LONG opened = RegOpenKeyEx(HKEY_CURRENT_USER, (top + "\\Two\\Three").c_str(), 0, KEY_READ, &key);
        EXPECT_EQ(opened, ok ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND) << top;
        if (opened == ERROR_SUCCESS) RegCloseKey(key);
        if (!ok) {
          EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, top.c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND) << top;
        }
      });
}
