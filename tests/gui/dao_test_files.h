// Private copies of the fixture databases for one test, in a folder of their
// own under the tests' temporary folder; the folder is emptied when the test
// ends. Tests never open the fixtures themselves.
#pragma once
#include <string>
#include <vector>

class FixtureCopies {
public:
    // The folder is named after the running test, its suite and name joined
    // by a dot: every test's files lie in a folder with a dot in its name,
    // as the operator's may.
    FixtureCopies();
    ~FixtureCopies();
    FixtureCopies(const FixtureCopies&) = delete;
    FixtureCopies& operator=(const FixtureCopies&) = delete;

    // Copies tests/fixtures/<name> (name may start with "real/") and gives the
    // copy's Windows path, with backslashes.
    std::string Copy(const std::string& name);
    // A path in the folder where no file is.
    std::string Missing(const std::string& name) const;
    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
};

// The text in the program's code page of a UTF-8 text (what the data-access
// layer makes of the engine's texts).
std::string AnsiFromUtf8(const std::string& utf8);

// Every byte of a file, as one string (empty when it cannot be read).
std::string FileBytes(const std::string& path);
