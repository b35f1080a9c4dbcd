#include "testdir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

ScopedTempDir::ScopedTempDir()
{
    char tmpl[] = "/tmp/pondrake-test-XXXXXX";
    char* made = mkdtemp(tmpl);
    if (!made)
        throw std::runtime_error("mkdtemp failed");
    path_ = made;
    oldCwd_ = fs::current_path().string();
    fs::current_path(path_);
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ec;
    fs::current_path(oldCwd_, ec);
    fs::remove_all(path_, ec);
}

std::string ScopedTempDir::file(const std::string& name) const
{
    return path_ + "/" + name;
}

bool WriteTestFile(const std::string& path, const std::string& bytes)
{
    fs::path p(path);
    if (p.has_parent_path()) {
        std::error_code ec;
        fs::create_directories(p.parent_path(), ec);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadTestFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool TestFileExists(const std::string& path)
{
    return fs::exists(path);
}

std::vector<std::string> ReadTestLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string SourceDir()
{
    const char* s = std::getenv("PONDRAKE_SOURCE_DIR");
    return s ? s : PONDRAKE_SOURCE_DIR_DEFAULT;
}

std::string RunDir()
{
    const char* s = std::getenv("PONDRAKE_RUN_DIR");
    return s ? s : PONDRAKE_RUN_DIR_DEFAULT;
}

std::string TestOutputDir()
{
    const char* s = std::getenv("PONDRAKE_TEST_OUTPUT");
    std::string dir = s ? s : PONDRAKE_TEST_OUTPUT_DEFAULT;
    std::error_code ec;
    fs::create_directories(dir, ec);
    return dir;
}
