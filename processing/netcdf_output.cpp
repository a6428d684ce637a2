#include "processing/netcdf_output.h"

#include <netcdf.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/file_replace.h"
#include "common/text.h"
#include "common/version.h"
#include "processing/result_series.h"

namespace quelmar::processing {

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

constexpr const char* epoch_units = "seconds since 1970-01-01 00:00:00 UTC";
constexpr const char* micromolar = "umol L-1";  // µM as UDUNITS writes it

// The three optical paths of a nutrient sensor, as the column titles abbreviate them.
std::string path_name(const std::string& abbreviation) {
    if (abbreviation == "M" || abbreviation == "Medium")
        return "medium";
    if (abbreviation == "S" || abbreviation == "Short")
        return "short";
    if (abbreviation == "L" || abbreviation == "Long")
        return "long";
    return lower(abbreviation);
}

std::string nutrient_standard_name(const std::string& nutrient) {
    if (nutrient == "Nitrate" || nutrient == "Nitrite" || nutrient == "Phosphate" ||
        nutrient == "Silicate")
        return "mole_concentration_of_" + lower(nutrient) + "_in_sea_water";
    if (nutrient == "Iron")
        return "mole_concentration_of_dissolved_iron_in_sea_water";
    return {};  // the multi-file list may mix nutrients: no single name fits
}

// Letters, digits and '_', starting with a letter: a name every NetCDF reader takes.
std::string plain_name(const std::string& title) {
    std::string name;
    for (char c : title) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0])))
        name = "column_" + name;
    return name;
}

std::string iso_time(std::time_t t) {
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buffer;
}

std::string base_name(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

std::optional<double> number_cell(const std::string& text) {
    double v = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end || std::isnan(v))
        return std::nullopt;
    return v;
}

std::optional<int> integer_cell(const std::string& text) {
    int v = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end || v == NC_FILL_INT)
        return std::nullopt;
    return v;
}

constexpr signed char flag_good = 1;
constexpr signed char flag_bad = 2;

// One NetCDF file being written under a temporary name; every failure after the first is
// ignored, and the first one is what the user is told.
class NetcdfFile {
  public:
    ~NetcdfFile() { abandon(); }

    bool create(const std::string& path) {
        path_ = path;
        std::string pattern = path + ".XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = mkstemp(name.data());
        if (fd < 0)
            return false;
        ::close(fd);
        temp_ = name.data();
        return check(nc_create(temp_.c_str(), NC_CLOBBER | NC_NETCDF4 | NC_CLASSIC_MODEL, &id_),
                     "cannot create");
    }

    bool check(int status, const char* what) {
        if (status != NC_NOERR && error_.empty())
            error_ = std::string(what) + ": " + nc_strerror(status);
        return status == NC_NOERR;
    }
    bool ok() const { return error_.empty(); }
    int id() const { return id_; }
    const std::string& error() const { return error_; }

    void text_attribute(int var, const char* name, const std::string& value) {
        if (ok())
            check(nc_put_att_text(id_, var, name, value.size(), value.data()),
                  "cannot write an attribute");
    }

    // Closes the file, flushes it to disk and moves it over the target.
    bool commit() {
        if (id_ >= 0) {
            const int status = nc_close(id_);
            id_ = -1;
            check(status, "cannot close");
        }
        if (ok()) {
            const int fd = ::open(temp_.c_str(), O_RDONLY);
            if (fd < 0 || fsync(fd) != 0)
                system_error("cannot write");
            if (fd >= 0)
                ::close(fd);
        }
        if (ok()) {
            if (!common::move_into_place(temp_, path_))
                system_error("cannot replace " + path_);
            else
                temp_.clear();
        }
        abandon();
        return ok();
    }

    void abandon() {
        if (id_ >= 0) {
            nc_abort(id_);
            id_ = -1;
        }
        if (!temp_.empty()) {
            std::remove(temp_.c_str());
            temp_.clear();
        }
    }

  private:
    void system_error(const std::string& what) {
        if (error_.empty())
            error_ = what + ": " + std::strerror(errno);
    }
    std::string path_;
    std::string temp_;
    std::string error_;
    int id_ = -1;
};

void write_globals(NetcdfFile& f, const ResultProvenance& p, std::time_t now) {
    const std::string program = std::string("Quelmar ") + common::program_version;
    f.text_attribute(NC_GLOBAL, "Conventions", "CF-1.8");
    f.text_attribute(
        NC_GLOBAL, "title",
        "Processed " + (p.chemistry.empty() ? std::string("sensor") : p.chemistry) + " results");
    f.text_attribute(NC_GLOBAL, "source", program);
    f.text_attribute(NC_GLOBAL, "history",
                     iso_time(now) + " " + program + (p.command.empty() ? "" : ": " + p.command));
    f.text_attribute(NC_GLOBAL, "date_created", iso_time(now));
    if (!p.chemistry.empty())
        f.text_attribute(NC_GLOBAL, "chemistry", p.chemistry);
    if (!p.raw_files.empty()) {
        std::vector<std::string> names;
        for (const auto& path : p.raw_files)
            names.push_back(base_name(path));
        f.text_attribute(NC_GLOBAL, "raw_files", joined(names));
    }
    f.text_attribute(NC_GLOBAL, "processing_parameters", joined(p.parameters));
    if (!p.fields.empty())
        f.text_attribute(NC_GLOBAL, "processing_dialog_fields", joined(p.fields));
}

// Defines the variable of one column and returns its id; -1 after a failure.
int define_column(NetcdfFile& f, const ColumnVariable& v, const std::string& title, int time_dim,
                  std::size_t text_length, bool has_missing, const std::string& time_comment) {
    const int nc = f.id();
    int var = -1;
    switch (v.kind) {
        case CellKind::time:
        case CellKind::number: {
            f.check(nc_def_var(nc, v.name.c_str(), NC_DOUBLE, 1, &time_dim, &var),
                    "cannot define a variable");
            // A time column gets a fill value only when one of its cells is no time: the
            // coordinate never does, since rows without a platform time are not written.
            if (f.ok() && (v.kind == CellKind::number || has_missing)) {
                const double fill = NC_FILL_DOUBLE;
                f.check(nc_put_att_double(nc, var, "_FillValue", NC_DOUBLE, 1, &fill),
                        "cannot write an attribute");
            }
            break;
        }
        case CellKind::integer: {
            f.check(nc_def_var(nc, v.name.c_str(), NC_INT, 1, &time_dim, &var),
                    "cannot define a variable");
            const int fill = NC_FILL_INT;
            if (f.ok())
                f.check(nc_put_att_int(nc, var, "_FillValue", NC_INT, 1, &fill),
                        "cannot write an attribute");
            break;
        }
        case CellKind::flag: {
            f.check(nc_def_var(nc, v.name.c_str(), NC_BYTE, 1, &time_dim, &var),
                    "cannot define a variable");
            const signed char fill = NC_FILL_BYTE;
            const signed char values[] = {flag_good, flag_bad};
            if (f.ok())
                f.check(nc_put_att_schar(nc, var, "_FillValue", NC_BYTE, 1, &fill),
                        "cannot write an attribute");
            if (f.ok())
                f.check(nc_put_att_schar(nc, var, "flag_values", NC_BYTE, 2, values),
                        "cannot write an attribute");
            f.text_attribute(var, "flag_meanings", "good bad");
            break;
        }
        case CellKind::text: {
            // The classic model has no string type: a character array padded with NULs.
            int dims[2] = {time_dim, -1};
            f.check(nc_def_dim(nc, (v.name + "_strlen").c_str(),
                               std::max<std::size_t>(text_length, 1), &dims[1]),
                    "cannot define a dimension");
            if (f.ok())
                f.check(nc_def_var(nc, v.name.c_str(), NC_CHAR, 2, dims, &var),
                        "cannot define a variable");
            break;
        }
    }
    if (!f.ok())
        return -1;
    f.text_attribute(var, "long_name", title);
    if (!v.units.empty())
        f.text_attribute(var, "units", v.units);
    if (!v.standard_name.empty())
        f.text_attribute(var, "standard_name", v.standard_name);
    if (v.kind == CellKind::time) {
        f.text_attribute(var, "calendar", "standard");
        if (v.name == "time") {
            f.text_attribute(var, "axis", "T");
            f.text_attribute(var, "comment", time_comment);
        }
    }
    if (v.standard_name == "depth")
        f.text_attribute(var, "positive", "down");
    return f.ok() ? var : -1;
}

void write_column(NetcdfFile& f, int var, const ColumnVariable& v,
                  const std::vector<std::vector<std::string>>& rows, std::size_t column,
                  std::size_t text_length) {
    if (!f.ok() || rows.empty())
        return;
    const int nc = f.id();
    static const std::string empty;
    auto cell = [&](std::size_t r) -> const std::string& {
        return column < rows[r].size() ? rows[r][column] : empty;
    };
    const std::size_t start[2] = {0, 0};
    switch (v.kind) {
        case CellKind::time:
        case CellKind::number: {
            std::vector<double> values(rows.size(), NC_FILL_DOUBLE);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const auto x =
                    v.kind == CellKind::time ? time_cell_seconds(cell(r)) : number_cell(cell(r));
                if (x)
                    values[r] = *x;
            }
            const std::size_t count[1] = {rows.size()};
            f.check(nc_put_vara_double(nc, var, start, count, values.data()),
                    "cannot write the values");
            break;
        }
        case CellKind::integer: {
            std::vector<int> values(rows.size(), NC_FILL_INT);
            for (std::size_t r = 0; r < rows.size(); ++r)
                if (const auto x = integer_cell(cell(r)))
                    values[r] = *x;
            const std::size_t count[1] = {rows.size()};
            f.check(nc_put_vara_int(nc, var, start, count, values.data()),
                    "cannot write the values");
            break;
        }
        case CellKind::flag: {
            std::vector<signed char> values(rows.size(), NC_FILL_BYTE);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                if (cell(r) == "good")
                    values[r] = flag_good;
                else if (cell(r) == "bad")
                    values[r] = flag_bad;
            }
            const std::size_t count[1] = {rows.size()};
            f.check(nc_put_vara_schar(nc, var, start, count, values.data()),
                    "cannot write the values");
            break;
        }
        case CellKind::text: {
            const std::size_t width = std::max<std::size_t>(text_length, 1);
            std::vector<char> chars(rows.size() * width, '\0');
            for (std::size_t r = 0; r < rows.size(); ++r)
                std::memcpy(chars.data() + r * width, cell(r).data(),
                            std::min(cell(r).size(), width));
            const std::size_t count[2] = {rows.size(), width};
            f.check(nc_put_vara_text(nc, var, start, count, chars.data()),
                    "cannot write the values");
            break;
        }
    }
}

}  // namespace

std::optional<ResultFormat> result_format_from_name(const std::string& name) {
    if (name == "csv")
        return ResultFormat::csv;
    if (name == "netcdf")
        return ResultFormat::netcdf;
    return std::nullopt;
}

ResultFormat result_format_of_path(const std::string& path) {
    return ends_with(lower(path), ".nc") ? ResultFormat::netcdf : ResultFormat::csv;
}

namespace {
constexpr std::string_view key_prefix = "%QUELMAR.";
constexpr std::size_t max_key_lines = 4096;
// Enough of a line for a marker and a key with its longest kept value.
constexpr std::size_t max_tapped_line = 4096;

bool blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
}  // namespace

bool HeaderKeyCollector::line(std::string_view line) {
    if (finished_)
        return false;
    // The same markers, in the same order, as the header scan: what it stops at, this stops at.
    if (is_header_start(line)) {
        header_ = true;
        return true;
    }
    if (!to_end_ && is_header_end(line)) {
        finished_ = true;
        return false;
    }
    // The scan takes a key after leading white space too.
    while (!line.empty() && blank(line.front()))
        line.remove_prefix(1);
    if (line.substr(0, key_prefix.size()) != key_prefix || line.find('=') == line.npos)
        return true;
    std::string key(line.substr(key_prefix.size(), common::max_text_length));
    if (keys_.size() < max_key_lines) {
        keys_.push_back(std::move(key));
        return true;
    }
    // Past the limit (a header written again and again) the last value of each key is the one
    // the scan applied: that one is kept, for as many keys as the limit allows.
    ++later_lines_;
    std::string name = key.substr(0, key.find('='));
    const auto known = later_.find(name);
    if (known != later_.end())
        known->second = std::move(key);
    else if (later_.size() < max_key_lines)
        later_.emplace(std::move(name), std::move(key));
    return true;
}

std::vector<std::string> HeaderKeyCollector::keys() const {
    // Without a header the readers take no key line from the file.
    if (!header_)
        return {};
    std::vector<std::string> out = keys_;
    if (later_lines_ > 0) {
        out.push_back(common::format_text("# %zu further key lines; the last value of each key:",
                                          later_lines_));
        for (const auto& [name, key] : later_)
            out.push_back(key);
    }
    return out;
}

void HeaderKeyCollector::reset() {
    header_ = false;
    finished_ = false;
    keys_.clear();
    later_.clear();
    later_lines_ = 0;
}

std::ptrdiff_t HeaderKeyTap::read(char* buffer, std::size_t size) {
    const std::ptrdiff_t n = inner_.read(buffer, size);
    if (n > 0)
        take(std::string_view(buffer, static_cast<std::size_t>(n)));
    return n;
}

bool HeaderKeyTap::rewind() {
    collector_.reset();
    partial_.clear();
    partial_too_long_ = false;
    skipping_ = false;
    return inner_.rewind();
}

void HeaderKeyTap::take(std::string_view bytes) {
    while (!bytes.empty() && !collector_.finished()) {
        // A line that starts with neither '%' nor white space is no marker and no key: its
        // first character is all the collector looks at, and the rest is passed over uncopied.
        if (partial_.empty() && !skipping_ && bytes[0] != '%' && !blank(bytes[0])) {
            collector_.line(bytes.substr(0, 1));
            skipping_ = true;
        }
        const auto feed = bytes.find('\n');
        if (skipping_) {
            if (feed == bytes.npos)
                return;
            skipping_ = false;
            bytes.remove_prefix(feed + 1);
            continue;
        }
        const std::string_view piece = bytes.substr(0, feed);
        if (!partial_too_long_) {
            partial_.append(piece.substr(0, max_tapped_line - partial_.size()));
            partial_too_long_ = partial_.size() >= max_tapped_line;
        }
        if (feed == bytes.npos)
            return;
        std::string_view line = partial_;
        if (!partial_too_long_ && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        collector_.line(line);
        partial_.clear();
        partial_too_long_ = false;
        bytes.remove_prefix(feed + 1);
    }
}

std::vector<std::string> HeaderKeyTap::keys() {
    if (partial_.empty())
        return collector_.keys();
    HeaderKeyCollector last = collector_;  // the last line, without its line feed
    last.line(partial_);
    return last.keys();
}

std::vector<std::string> header_key_lines(RawSource& source, bool to_end) {
    HeaderKeyCollector collector(to_end);
    if (source.rewind()) {
        LineReader reader(source, 64 << 10);
        std::string_view line;
        while (reader.next(line) && collector.line(line)) {
        }
    }
    source.rewind();
    return collector.keys();
}

ResultProvenance multi_nutrient_provenance(
    const std::vector<std::pair<std::string, std::vector<std::string>>>& files) {
    ResultProvenance p;
    p.chemistry = "Nutrient (multi-file)";
    for (const auto& [path, keys] : files) {
        p.raw_files.push_back(path);
        p.parameters.push_back("[" + base_name(path) + "]");
        p.parameters.insert(p.parameters.end(), keys.begin(), keys.end());
    }
    return p;
}

ColumnVariable column_variable(const std::string& title) {
    using K = CellKind;
    if (title == "Time (platform)")
        return {"time", K::time, epoch_units, "time"};
    if (title == "Time (sensor)")
        return {"sensor_time", K::time, epoch_units, ""};
    if (title == "Depth (m)")
        return {"depth", K::number, "m", "depth"};
    if (title == "S (PSU)")
        return {"salinity", K::number, "1", "sea_water_practical_salinity"};
    if (title == "T (degC)")
        return {"temperature", K::number, "degree_C", "sea_water_temperature"};
    // The platform reports oxygen as millilitres of gas per litre of sea water.
    if (title == "DO (ml/l)")
        return {"dissolved_oxygen", K::number, "mL L-1", "volume_fraction_of_oxygen_in_sea_water"};
    if (title == "pH")
        return {"ph", K::number, "1", "sea_water_ph_reported_on_total_scale"};
    if (title == "r")
        return {"r", K::number, "1", ""};
    if (title == "r (adjusted)")
        return {"r_adjusted", K::number, "1", ""};
    if (title == "T (thermistor)" || title == "Temperature (C)")
        return {"thermistor_temperature", K::number, "degree_C", ""};
    // TA is computed from the acid's molarity per litre: µmol per litre, not per kilogram.
    if (title == "TA (uM)")
        return {"ta", K::number, micromolar, "sea_water_alkalinity_expressed_as_mole_equivalent"};
    if (title == "DIC (umol/kg)")
        return {"dic", K::number, "umol kg-1",
                "moles_of_dissolved_inorganic_carbon_per_unit_mass_in_sea_water"};
    if (title == "Meas State")
        return {"measurement_state", K::integer, "", ""};
    if (title == "Sample Step (V)")
        return {"sample_step", K::number, "V", ""};
    if (title == "CRM Step (V)")
        return {"crm_step", K::number, "V", ""};
    if (title == "Validity")
        return {"validity", K::flag, "", ""};
    if (title == "Sensor Name")
        return {"sensor_name", K::text, "", ""};
    if (title == "Absorbance LED1")
        return {"absorbance_led1", K::number, "1", ""};
    if (title == "Absorbance LED2")
        return {"absorbance_led2", K::number, "1", ""};
    // "Absorbance (Std1.M)": the reading and the path.
    if (title.rfind("Absorbance (", 0) == 0 && ends_with(title, ")")) {
        const std::string inner = title.substr(12, title.size() - 13);
        const auto dot = inner.find('.');
        if (dot != std::string::npos) {
            std::string reading = lower(inner.substr(0, dot));
            if (reading == "std1" || reading == "std2")
                reading = "standard" + reading.substr(3);
            return {"absorbance_" + reading + "_" + path_name(inner.substr(dot + 1)), K::number,
                    "1", ""};
        }
    }
    // "Nitrate (Medium.uM)", or "Nutrient (Medium:uM)" when the type is not one name.
    if (ends_with(title, "uM)")) {
        const auto open = title.find(" (");
        const auto sep = title.find_first_of(".:", open == std::string::npos ? 0 : open);
        if (open != std::string::npos && sep != std::string::npos) {
            const std::string nutrient = title.substr(0, open);
            const std::string path = title.substr(open + 2, sep - open - 2);
            return {plain_name(nutrient) + "_" + path_name(path), K::number, micromolar,
                    nutrient_standard_name(nutrient)};
        }
    }
    return {plain_name(title), K::number, "", ""};
}

std::optional<double> time_cell_seconds(const std::string& text) {
    // Read as the results graph reads it, so the two never disagree on a row's time.
    const auto seconds = cell_time(text);
    return seconds ? std::optional<double>(*seconds) : std::nullopt;
}

SaveOutcome save_netcdf(const ResultTable& table, const std::string& path,
                        const ResultProvenance& provenance) {
    SaveOutcome out;
    const auto titles = table.titles();
    auto rows = table.rows();
    const bool any_rows = !rows.empty();
    // The NetCDF library keeps global state without locks: saves run one at a time, from
    // the window's thread or the command line.
    NetcdfFile f;
    if (!f.create(path)) {
        if (f.error().empty()) {
            out.message = common::format_text("Unable to open %s for write", path.c_str());
            return out;
        }
    }
    std::vector<ColumnVariable> vars;
    std::vector<std::size_t> text_lengths;
    std::vector<char> missing;  // per column: a cell that is no time
    std::optional<std::size_t> coordinate;
    bool sensor_time = false;
    for (std::size_t c = 0; c < titles.size(); ++c) {
        ColumnVariable v = column_variable(titles[c]);
        // Two columns never share a name, whatever their titles.
        const std::string base = v.name;
        for (int n = 2; std::any_of(vars.begin(), vars.end(),
                                    [&](const ColumnVariable& o) { return o.name == v.name; });
             ++n)
            v.name = base + "_" + std::to_string(n);
        if (v.kind == CellKind::time && v.name == "time" && !coordinate)
            coordinate = c;
        sensor_time = sensor_time || (v.kind == CellKind::time && v.name != "time");
        vars.push_back(v);
    }
    // A coordinate has no missing values (CF): a row whose platform time does not read as
    // one (which the engines never write) is left out of the file rather than given a
    // time it does not have. The CSV keeps it.
    if (coordinate)
        std::erase_if(rows, [&](const std::vector<std::string>& row) {
            return *coordinate >= row.size() || !time_cell_seconds(row[*coordinate]);
        });
    for (std::size_t c = 0; c < titles.size(); ++c) {
        std::size_t length = 0;
        bool no_time = false;
        for (const auto& row : rows) {
            if (c >= row.size()) {
                no_time = true;
                continue;
            }
            length = std::max(length, row[c].size());
            no_time = no_time || (vars[c].kind == CellKind::time && !time_cell_seconds(row[c]));
        }
        text_lengths.push_back(length);
        missing.push_back(no_time);
    }
    // Nutrient results carry the platform's time and the sensor's; pH, TA and DIC results
    // carry the sensor's clock only, which their "Time (platform)" column holds.
    const std::string time_comment =
        sensor_time ? "The platform's clock; the sensor's clock is in sensor_time."
                    : "The sensor's clock: these results carry no platform time.";
    int time_dim = -1;
    if (f.ok())
        f.check(nc_def_dim(f.id(), "time", rows.empty() ? NC_UNLIMITED : rows.size(), &time_dim),
                "cannot define the time dimension");
    write_globals(f, provenance, std::time(nullptr));
    std::vector<int> ids;
    for (std::size_t c = 0; c < titles.size() && f.ok(); ++c)
        ids.push_back(define_column(f, vars[c], titles[c], time_dim, text_lengths[c],
                                    missing[c] != 0, time_comment));
    if (f.ok())
        f.check(nc_enddef(f.id()), "cannot define the file");
    for (std::size_t c = 0; c < ids.size() && f.ok(); ++c)
        write_column(f, ids[c], vars[c], rows, c, text_lengths[c]);
    if (!f.commit()) {
        out.message = common::format_text("Failed to save %s: %s", path.c_str(), f.error().c_str());
        return out;
    }
    out.ok = true;
    out.rows_written = rows.size();
    if (any_rows)
        out.message = common::format_text("Processed Output saved to %s", path.c_str());
    return out;
}

SaveOutcome save_results_as(ResultFormat format, const ResultTable& table, const std::string& path,
                            const ResultProvenance& provenance) {
    return format == ResultFormat::netcdf ? save_netcdf(table, path, provenance)
                                          : save_results(table, path);
}

}  // namespace quelmar::processing
