#include "library/LineReader.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "library/SysUtils.h"

namespace ortello {

TLineReader::TLineReader(const std::string& path, size_t blockSize) : path_(path), block_(blockSize) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

TLineReader::TLineReader(std::string_view bytes) : memory_(bytes), inMemory_(true) {}

TLineReader::~TLineReader() {
    if (fd_ >= 0) ::close(fd_);
}

void TLineReader::Rewind() {
    begin_ = end_ = 0;
    eof_ = false;
    carry_.clear();
    if (fd_ >= 0) ::lseek(fd_, 0, SEEK_SET);
}

bool TLineReader::Fill() {
    if (eof_) return false;
    for (;;) {
        const ssize_t n = ::read(fd_, block_.data(), block_.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EReadError("Cannot read file \"" + path_ + "\". " + std::strerror(errno));
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        begin_ = 0;
        end_ = static_cast<size_t>(n);
        return true;
    }
}

bool TLineReader::Next(std::string_view& line) {
    if (inMemory_) {
        if (begin_ >= memory_.size()) return false;
        const char* base = memory_.data();
        const void* nl = std::memchr(base + begin_, '\n', memory_.size() - begin_);
        const size_t stop = nl ? static_cast<size_t>(static_cast<const char*>(nl) - base) : memory_.size();
        line = memory_.substr(begin_, stop - begin_);
        begin_ = stop + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return true;
    }
    carry_.clear();
    bool any = false;
    for (;;) {
        if (begin_ >= end_ && !Fill()) break;
        any = true;
        const char* base = block_.data();
        const void* nl = std::memchr(base + begin_, '\n', end_ - begin_);
        if (nl) {
            const size_t stop = static_cast<size_t>(static_cast<const char*>(nl) - base);
            if (carry_.empty()) {
                line = std::string_view(base + begin_, stop - begin_);
            } else {
                carry_.append(base + begin_, stop - begin_);
                line = carry_;
            }
            begin_ = stop + 1;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            return true;
        }
        carry_.append(base + begin_, end_ - begin_);
        begin_ = end_;
    }
    if (!any || carry_.empty()) return false;
    line = carry_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

size_t TLineReader::CountLines() {
    Rewind();
    size_t lines = 0;
    if (inMemory_) {
        const char* p = memory_.data();
        const char* e = p + memory_.size();
        while (p < e) {
            const void* nl = std::memchr(p, '\n', static_cast<size_t>(e - p));
            ++lines;
            if (!nl) break;
            p = static_cast<const char*>(nl) + 1;
        }
        return lines;
    }
    bool pending = false;  // bytes after the last LF
    while (Fill()) {
        const char* p = block_.data();
        const char* e = p + end_;
        while (p < e) {
            const void* nl = std::memchr(p, '\n', static_cast<size_t>(e - p));
            if (!nl) {
                pending = true;
                break;
            }
            ++lines;
            pending = false;
            p = static_cast<const char*>(nl) + 1;
        }
    }
    if (pending) ++lines;
    Rewind();
    return lines;
}

}  // namespace ortello
