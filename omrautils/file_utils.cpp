// CFileUtils.
#include "omrautils/file_utils.h"

#include <sys/stat.h>

#include <cstdlib>

namespace {

// The Windows variables first, as programs configured for them expect; then the Unix one.
const char *const kTemporaryFolders[] = {"TEMP", "TMP", "WINTEMP", "WINTMP", "TMPDIR"};
// Bounds the search in a folder that somehow holds every name.
constexpr int kMaxTries = 1000000;

}  // namespace

CString CFileUtils::GetTemporaryFileName(const char *extension) {
  CString folder;
  for (const char *name : kTemporaryFolders) {
    const char *value = std::getenv(name);
    if (value && *value) {
      folder = value;
      break;
    }
  }
  if (folder.IsEmpty()) folder = "/tmp/";
  if (folder[folder.GetLength() - 1] != '/') folder += '/';
  if (!extension || extension[0] != '.') extension = ".tmp";
  for (int n = 1; n <= kMaxTries; ++n) {
    CString candidate;
    candidate.Format("%sOmraTmp%d%s", static_cast<LPCTSTR>(folder), n, extension);
    struct stat st;
    // lstat: a dangling link is taken, or a file made under the name would land where it points.
    if (lstat(candidate, &st) != 0) return candidate;
  }
  return CString();
}

CString CFileUtils::GetTemporaryFileName() { return GetTemporaryFileName(".tmp"); }
