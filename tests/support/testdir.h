#pragma once
// Every test writes only into a temporary directory of its own. ScopedTempDir
// makes one, makes it the working directory for the test's lifetime (the
// game reads and writes relative to it) and removes it afterwards.
#include <string>
#include <vector>

class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
    std::string oldCwd_;
};

bool WriteTestFile(const std::string& path, const std::string& bytes);
std::string ReadTestFile(const std::string& path);
bool TestFileExists(const std::string& path);
std::vector<std::string> ReadTestLines(const std::string& path);

// Directory of the source tree and of the built game (set by ctest).
std::string SourceDir();
std::string RunDir();
// Where a test saves pictures for a person to look at (build/test-output).
std::string TestOutputDir();

#include <gtest/gtest.h>
// Runs fn with standard error captured; returns what was written there.
template <class Fn>
std::string CaptureStderr(Fn fn)
{
    testing::internal::CaptureStderr();
    fn();
    return testing::internal::GetCapturedStderr();
}
