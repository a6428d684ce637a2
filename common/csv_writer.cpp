#include "common/csv_writer.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "common/file_replace.h"

namespace quelmar::common {

std::string join_csv_cells(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i) line += ',';
        line += cells[i];
    }
    return line;
}

CsvWriter::~CsvWriter() { abandon(); }

void CsvWriter::fail(const std::string& what) {
    if (!failed_) error_ = what + ": " + std::strerror(errno);
    failed_ = true;
}

bool CsvWriter::open(const std::string& path) {
    abandon();
    failed_ = false;
    error_.clear();
    path_ = path;
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) {
        fail("cannot create " + path);
        return false;
    }
    temp_path_ = name.data();
    file_ = fdopen(fd, "w");
    if (!file_) {
        fail("cannot open " + path);
        ::close(fd);
        std::remove(temp_path_.c_str());
        temp_path_.clear();
        return false;
    }
    return true;
}

bool CsvWriter::write_line(const std::string& line) {
    if (!file_ || failed_) return false;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
        std::fputc('\n', file_) == EOF) {
        fail("cannot write " + path_);
        return false;
    }
    return true;
}

bool CsvWriter::write_row(const std::vector<std::string>& cells) {
    return write_line(join_csv_cells(cells));
}

bool CsvWriter::commit() {
    if (!file_) return false;
    bool ok = !failed_;
    if (std::fflush(file_) != 0) {
        fail("cannot write " + path_);
        ok = false;
    }
    if (ok && fsync(fileno(file_)) != 0) {
        fail("cannot write " + path_);
        ok = false;
    }
    if (std::fclose(file_) != 0 && ok) {
        fail("cannot close " + path_);
        ok = false;
    }
    file_ = nullptr;
    if (ok) {
        if (!move_into_place(temp_path_, path_)) {
            fail("cannot replace " + path_);
            ok = false;
        }
    }
    if (!ok) std::remove(temp_path_.c_str());
    temp_path_.clear();
    return ok;
}

void CsvWriter::abandon() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_path_.empty()) {
        std::remove(temp_path_.c_str());
        temp_path_.clear();
    }
}

bool write_csv_file(const std::string& path, const std::vector<std::string>& titles,
                    const std::vector<std::vector<std::string>>& rows, std::string& error) {
    CsvWriter writer;
    bool ok = writer.open(path) && writer.write_row(titles);
    for (std::size_t i = 0; ok && i < rows.size(); ++i) ok = writer.write_row(rows[i]);
    ok = ok && writer.commit();
    if (!ok) error = writer.error();
    return ok;
}

bool write_csv_stream(std::FILE* out, const std::vector<std::string>& titles,
                      const std::vector<std::vector<std::string>>& rows) {
    auto put = [out](const std::vector<std::string>& cells) {
        std::string line = join_csv_cells(cells);
        line += '\n';
        return std::fwrite(line.data(), 1, line.size(), out) == line.size();
    };
    bool ok = put(titles);
    for (std::size_t i = 0; ok && i < rows.size(); ++i) ok = put(rows[i]);
    return std::fflush(out) == 0 && ok;
}

}  // namespace quelmar::common
