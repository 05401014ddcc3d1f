// Shell file operations; see files.h.
#include "standins/modem/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace modemsim {
namespace {

std::string Failure(std::string_view what, const std::string& path, int err) {
    return std::string(what) + " " + path + ": " + std::strerror(err);
}

std::string TemporaryName(const std::string& path) {
    return path + ".modemsim-tmp." + std::to_string(::getpid());
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

bool AppendFile::Open(const std::string& path, std::string& error) {
    if (path.empty())
        return true;
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!fd) {
        error = Failure("cannot open", path, errno);
        return false;
    }
    fd_ = std::move(fd);
    return true;
}

bool AppendFile::WriteLine(std::string_view line, std::string& error) {
    if (!fd_)
        return true;
    std::string text(line);
    text += '\n';
    if (WriteAll(fd_.get(), text))
        return true;
    int err = errno;
    error = std::string("write failed: ") + std::strerror(err);
    return false;
}

bool ReplaceFile(const std::string& path, std::string_view text, std::string& error) {
    std::string temp = TemporaryName(path);
    UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd) {
        error = Failure("cannot create", temp, errno);
        return false;
    }
    if (!WriteAll(fd.get(), text)) {
        error = Failure("cannot write", temp, errno);
        ::unlink(temp.c_str());
        return false;
    }
    fd.reset();
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        error = Failure("cannot rename " + temp + " to", path, err);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool ReplaceSymlink(const std::string& link, const std::string& target, std::string& error) {
    std::string temp = TemporaryName(link);
    ::unlink(temp.c_str()); // a leftover of an earlier run with the same pid
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
        error = Failure("cannot create symbolic link", temp, errno);
        return false;
    }
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        int err = errno;
        error = Failure("cannot rename " + temp + " to", link, err);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace modemsim
