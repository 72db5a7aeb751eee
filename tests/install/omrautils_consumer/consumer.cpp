// A program outside the tree, built against the installed OmraUtils: writes a registry value and reads
// it back, and round-trips a password through the scrambler.
#include <omrautils.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main() {
  // A store of its own, never the user's.
  char dir[] = "/tmp/omrautils-consumer-XXXXXX";
  if (!mkdtemp(dir)) return 2;
  std::string store = std::string(dir) + "/registry.db";
  setenv("OMRA_USER_REGISTRY", store.c_str(), 1);

  int failures = 0;
  CString written = "written by a consumer";
  if (!COmraRegUtils::PutRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Consumer", "value", &written)) {
    std::fprintf(stderr, "PutRegistryStringData failed\n");
    ++failures;
  }
  CString read;
  if (!COmraRegUtils::GetRegistryStringData(HKEY_CURRENT_USER, "SOFTWARE\\Consumer", "VALUE", &read) ||
      read != "written by a consumer") {
    std::fprintf(stderr, "GetRegistryStringData gave \"%s\"\n", static_cast<LPCTSTR>(read));
    ++failures;
  }

  CString scrambled, plain;
  CEncrypt::Encrypt("s3cret!", &scrambled);
  CEncrypt::Decrypt(scrambled, &plain);
  if (scrambled.GetLength() != 50 || plain != "s3cret!") {
    std::fprintf(stderr, "the scrambler gave \"%s\" back\n", static_cast<LPCTSTR>(plain));
    ++failures;
  }

  unlink(store.c_str());
  unlink((store + "-wal").c_str());
  unlink((store + "-shm").c_str());
  rmdir(dir);
  if (failures == 0) std::printf("omrautils consumer: registry and scrambler work\n");
  return failures == 0 ? 0 : 1;
}
