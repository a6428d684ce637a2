#include "processing/raw_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstring>

namespace quelmar::processing {

RawFile::~RawFile() {
    close();
}

bool RawFile::open(const std::string& path) {
    close();
    failed_path_ = path;
    not_regular_ = false;
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        not_regular_ = true;
        ::close(fd);
        return false;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        ::close(fd);
        return false;
    }
    file_ = fdopen(fd, "rb");
    if (!file_) {
        ::close(fd);
        return false;
    }
    path_ = path;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

std::string RawFile::open_failure() const {
    std::string text = "Unable to open " + failed_path_;
    if (not_regular_)
        text += ": not a regular file";
    return text.size() > 255 ? text.substr(0, 255) : text;
}

void RawFile::close() {
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

std::ptrdiff_t RawFile::read(char* buffer, std::size_t size) {
    if (!file_)
        return -1;
    std::size_t n = std::fread(buffer, 1, size, file_);
    if (n == 0 && std::ferror(file_))
        return -1;
    return static_cast<std::ptrdiff_t>(n);
}

bool RawFile::rewind() {
    if (!file_)
        return false;
    std::clearerr(file_);
    return std::fseek(file_, 0, SEEK_SET) == 0;
}

std::ptrdiff_t MemorySource::read(char* buffer, std::size_t size) {
    if (position_ >= fail_after_)
        return -1;
    std::size_t limit = std::min(data_.size(), fail_after_);
    std::size_t n = std::min(size, limit - std::min(limit, position_));
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return static_cast<std::ptrdiff_t>(n);
}

LineReader::LineReader(RawSource& source, std::size_t chunk_size)
    : source_(source), limit_(std::max<std::size_t>(chunk_size, 64) + max_line_length) {
    // A small file needs no more than its own size, and a source of unknown size starts
    // small; the buffer grows when a line needs it.
    const std::uint64_t known = source.size();
    capacity_ = known == 0                 ? std::size_t{64} << 10
                : known + 64 < limit_ ? static_cast<std::size_t>(known) + 64
                                      : limit_;
    capacity_ = std::min(capacity_, std::max<std::size_t>(chunk_size, 64));
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
}

bool LineReader::fill() {
    if (eof_ || failed_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        if (capacity_ >= limit_)
            return false;
        const std::size_t grown = std::min(limit_, capacity_ * 2);
        auto bigger = std::make_unique_for_overwrite<char[]>(grown);
        std::memcpy(bigger.get(), buffer_.get(), end_);
        buffer_ = std::move(bigger);
        capacity_ = grown;
    }
    std::ptrdiff_t n = source_.read(buffer_.get() + end_, capacity_ - end_);
    if (n < 0) {
        failed_ = true;
        return false;
    }
    if (n == 0) {
        eof_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(n);
    return true;
}

bool LineReader::take_buffered(std::string_view& line) {
    for (;;) {
        const char* start = buffer_.get() + begin_;
        const void* nl = std::memchr(start, '\n', end_ - begin_);
        if (!nl)
            return false;
        const char* stop = static_cast<const char*>(nl);
        std::size_t length = static_cast<std::size_t>(stop - start);
        consumed_ += length + 1;
        begin_ += length + 1;
        if (skipping_ || length > max_line_length) {
            skipping_ = false;
            continue;
        }
        if (length > 0 && start[length - 1] == '\r')
            --length;
        line = std::string_view(start, length);
        return true;
    }
}

bool LineReader::next_batch(std::vector<std::string_view>& lines, std::size_t max) {
    lines.clear();
    std::string_view line;
    if (max == 0 || !next(line))
        return false;
    lines.push_back(line);
    while (lines.size() < max && take_buffered(line))
        lines.push_back(line);
    return true;
}

bool LineReader::next(std::string_view& line) {
    for (;;) {
        if (take_buffered(line))
            return true;
        if (!skipping_ && end_ - begin_ >= max_line_length) {
            // Too long to be a line of this file: drop what we have and skip to its end.
            consumed_ += end_ - begin_;
            begin_ = end_;
            skipping_ = true;
        } else if (skipping_) {
            consumed_ += end_ - begin_;
            begin_ = end_;
        }
        if (fill())
            continue;
        if (failed_ || begin_ == end_)
            return false;
        // The last line has no line feed.
        const char* start = buffer_.get() + begin_;
        std::size_t length = end_ - begin_;
        consumed_ += length;
        begin_ = end_;
        if (skipping_) {
            skipping_ = false;
            return false;
        }
        if (start[length - 1] == '\r')
            --length;
        line = std::string_view(start, length);
        return true;
    }
}

}  // namespace quelmar::processing
