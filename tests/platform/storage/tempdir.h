#pragma once
// A fresh folder under /tmp for one test, removed with everything in it.
#include <cstdlib>
#include <filesystem>
#include <string>

struct TTempDir {
  std::string Path;
  TTempDir() {
    char tmpl[] = "/tmp/dtu-storage-XXXXXX";
    Path = mkdtemp(tmpl);
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Path, ec);
  }
  std::string operator/(const std::string& Name) const { return Path + "/" + Name; }
};
