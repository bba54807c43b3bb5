#pragma once
// Files and environment for tests: a temporary folder that goes with its object, whole-file reads
// and writes, an environment variable set for a scope, and a settings folder of the test's own.
#include <optional>
#include <string>

namespace linkmend::test {

// A fresh folder under $TMPDIR, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);  // "" when the file cannot be read
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

// Sets an environment variable (unsets it for nullopt) and puts the old state back when it goes.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// The per-machine settings folder (where bare INI names live) pointed at a fresh folder for the
// life of the object, so that no developer's own settings take part in a test.
class ProfileFolder {
public:
    const TempDir& Dir() const { return dir_; }
    std::string File(const std::string& name) const { return dir_.File(name); }

private:
    TempDir dir_;
    ScopedEnv env_{"LINKMEND_PROFILE_DIR", dir_.Path()};
};

}  // namespace linkmend::test
