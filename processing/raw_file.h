#pragma once
// The raw output file as the readers see it: a byte source that can be rewound, read in
// whole lines, and the three kinds of line (markers, key lines, data lines).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::processing {

// Where the bytes of a raw output file come from. Files in normal use; tests and fuzzing
// use memory, with an optional read error after a given number of bytes.
class RawSource {
  public:
    virtual ~RawSource() = default;
    // Up to `size` bytes; 0 at the end; -1 on a read error.
    virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;
    virtual bool rewind() = 0;
    // Total size in bytes when known (for progress), else 0.
    virtual std::uint64_t size() const = 0;
};

class RawFile : public RawSource {
  public:
    RawFile() = default;
    ~RawFile() override;
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // False when the file cannot be opened for reading, or is no regular file: a FIFO or a
    // device would be read forever (or block the open itself), so it is refused unread.
    bool open(const std::string& path);
    void close();
    // Why the last open failed, for the message box: "Unable to open <path>[: reason]".
    std::string open_failure() const;
    bool is_open() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    bool rewind() override;
    std::uint64_t size() const override { return size_; }

  private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string failed_path_;
    bool not_regular_ = false;
    std::uint64_t size_ = 0;
};

class MemorySource : public RawSource {
  public:
    explicit MemorySource(std::string data, std::size_t fail_after = std::string::npos)
        : data_(std::move(data)), fail_after_(fail_after) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    bool rewind() override {
        position_ = 0;
        return true;
    }
    std::uint64_t size() const override { return data_.size(); }

  private:
    std::string data_;
    std::size_t fail_after_;
    std::size_t position_ = 0;
};

// Longest line kept. A longer line is skipped whole (never split into pieces that could pass
// for lines of their own): no marker, key or data line is anywhere near this long.
constexpr std::size_t max_line_length = 1 << 20;

// Reads whole lines, each without its line feed and without a carriage return before it.
class LineReader {
  public:
    explicit LineReader(RawSource& source, std::size_t chunk_size = 4 << 20);
    // The next line; false at the end of the data or on a read error (see failed()).
    bool next(std::string_view& line);
    // The next line as next() gives it, then as many more lines (up to `max` in all) as are
    // already in the buffer. The lines stay valid until the next call of next or next_batch.
    // False, with no lines, where next() would give false.
    bool next_batch(std::vector<std::string_view>& lines, std::size_t max);
    bool failed() const { return failed_; }
    std::uint64_t bytes_read() const { return consumed_; }

  private:
    bool fill();
    bool take_buffered(std::string_view& line);  // a whole line already in the buffer
    RawSource& source_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t limit_ = 0;  // the capacity it may grow to
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t consumed_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    bool skipping_ = false;
};

inline bool is_header_start(std::string_view line) {
    return line.substr(0, 21) == "%QUELMAR.HEADER_START";
}
// The end marker, or the column-title line that follows the header.
inline bool is_header_end(std::string_view line) {
    return line.substr(0, 19) == "%QUELMAR.HEADER_END" || line.substr(0, 8) == "%Counter";
}
inline bool is_data_line(std::string_view line) {
    return line.empty() || line[0] != '%';
}

}  // namespace quelmar::processing
