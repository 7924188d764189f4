#include "app/output_file.h"

#include <sys/stat.h>

#include <cstdio>

bool MayWriteOutput(const char* out, const char* recording, std::string* error) {
  struct stat target;
  if (stat(out, &target) != 0) return true;  // nothing there yet, or nothing to keep
  // The same file by another path, or through a link: its device and inode tell.
  struct stat source;
  if (stat(recording, &source) == 0 && source.st_dev == target.st_dev &&
      source.st_ino == target.st_ino) {
    *error = "is the recording it would be made from; name another file";
    return false;
  }
  if (S_ISREG(target.st_mode) && target.st_size > 0) {
    *error = "already exists; remove it first to write a new one in its place";
    return false;
  }
  return true;
}

void RemoveOutput(const char* out) {
  struct stat target;
  if (lstat(out, &target) == 0 && S_ISREG(target.st_mode)) std::remove(out);
}
