// The NetCDF results read back with the NetCDF library: every value as the CSV prints it,
// times as the same dates, fill values for cells without a number, the attributes a CF
// reader looks for, and a failed save that leaves the old file.

#include "processing/netcdf_output.h"

#include <gtest/gtest.h>
#include <netcdf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <system_error>

#include <unistd.h>

#include "common/text.h"
#include "processing/dic_engine.h"
#include "processing/example_files.h"
#include "processing/header_scan.h"
#include "processing/nutrient_engine.h"
#include "processing/process_command.h"
#include "processing/ta_engine.h"
#include "tests/support/scratch_folder.h"

namespace quelmar::processing {
namespace {

namespace fs = std::filesystem;

// An open NetCDF file, read through the C library as any other reader would.
class Nc {
  public:
    explicit Nc(const std::string& path) { ok_ = nc_open(path.c_str(), NC_NOWRITE, &id_) == 0; }
    ~Nc() {
        if (ok_)
            nc_close(id_);
    }
    bool ok() const { return ok_; }
    int id() const { return id_; }
    int var(const std::string& name) const {
        int v = -1;
        return nc_inq_varid(id_, name.c_str(), &v) == NC_NOERR ? v : -1;
    }
    std::string text(int var, const char* name) const {
        std::size_t len = 0;
        if (nc_inq_attlen(id_, var, name, &len) != NC_NOERR)
            return "<none>";
        std::string s(len, '\0');
        nc_get_att_text(id_, var, name, s.data());
        return s;
    }
    std::size_t rows() const {
        int dim = -1;
        std::size_t n = 0;
        nc_inq_dimid(id_, "time", &dim);
        nc_inq_dimlen(id_, dim, &n);
        return n;
    }
    std::vector<double> doubles(int var) const {
        std::vector<double> v(rows());
        if (!v.empty()) {
            EXPECT_EQ(nc_get_var_double(id_, var, v.data()), NC_NOERR);
        }
        return v;
    }
    bool has_fill(int var) const {
        return nc_inq_att(id_, var, "_FillValue", nullptr, nullptr) == NC_NOERR;
    }
    int format() const {
        int f = 0;
        nc_inq_format(id_, &f);
        return f;
    }

  private:
    int id_ = -1;
    bool ok_ = false;
};

// The digits after the point that a cell was printed with.
int printed_decimals(const std::string& cell) {
    const auto dot = cell.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(cell.size() - dot - 1);
}

// Every cell of the table against the file, column by column.
void expect_same_as_table(const ResultTable& table, const std::string& path) {
    Nc nc(path);
    ASSERT_TRUE(nc.ok());
    EXPECT_EQ(nc.format(), NC_FORMAT_NETCDF4_CLASSIC);
    EXPECT_EQ(nc.text(NC_GLOBAL, "Conventions"), "CF-1.8");
    const auto titles = table.titles();
    const auto rows = table.rows();
    ASSERT_EQ(nc.rows(), rows.size());
    for (std::size_t c = 0; c < titles.size(); ++c) {
        SCOPED_TRACE(titles[c]);
        const ColumnVariable cv = column_variable(titles[c]);
        const int var = nc.var(cv.name);
        ASSERT_GE(var, 0) << cv.name;
        EXPECT_EQ(nc.text(var, "long_name"), titles[c]);
        if (!cv.units.empty()) {
            EXPECT_EQ(nc.text(var, "units"), cv.units);
        }
        if (!cv.standard_name.empty()) {
            EXPECT_EQ(nc.text(var, "standard_name"), cv.standard_name);
        }
        switch (cv.kind) {
            case CellKind::time: {
                const auto v = nc.doubles(var);
                for (std::size_t r = 0; r < rows.size(); ++r)
                    EXPECT_EQ(common::sensor_time_text(static_cast<std::uint32_t>(v[r])),
                              rows[r][c]);
                break;
            }
            case CellKind::number: {
                const auto v = nc.doubles(var);
                for (std::size_t r = 0; r < rows.size(); ++r) {
                    if (rows[r][c].find("nan") != std::string::npos || rows[r][c].empty()) {
                        EXPECT_EQ(v[r], NC_FILL_DOUBLE);
                    } else {
                        EXPECT_EQ(
                            common::text_of(common::Fixed{v[r], printed_decimals(rows[r][c])}),
                            rows[r][c]);
                    }
                }
                break;
            }
            case CellKind::integer: {
                std::vector<int> v(rows.size());
                ASSERT_EQ(nc_get_var_int(nc.id(), var, v.data()), NC_NOERR);
                for (std::size_t r = 0; r < rows.size(); ++r)
                    EXPECT_EQ(std::to_string(v[r]), rows[r][c]);
                break;
            }
            case CellKind::flag: {
                std::vector<signed char> v(rows.size());
                ASSERT_EQ(nc_get_var_schar(nc.id(), var, v.data()), NC_NOERR);
                EXPECT_EQ(nc.text(var, "flag_meanings"), "good bad");
                for (std::size_t r = 0; r < rows.size(); ++r)
                    EXPECT_EQ(v[r], rows[r][c] == "good" ? 1 : 2);
                break;
            }
            case CellKind::text: {
                int dims[2];
                ASSERT_EQ(nc_inq_vardimid(nc.id(), var, dims), NC_NOERR);
                std::size_t width = 0;
                nc_inq_dimlen(nc.id(), dims[1], &width);
                std::vector<char> chars(rows.size() * width);
                ASSERT_EQ(nc_get_var_text(nc.id(), var, chars.data()), NC_NOERR);
                for (std::size_t r = 0; r < rows.size(); ++r) {
                    std::string s(chars.data() + r * width, width);
                    s.resize(std::strlen(s.c_str()));
                    EXPECT_EQ(s, rows[r][c]);
                }
                break;
            }
        }
    }
}

// A folder of the test's own (suite and process), removed afterwards.
class NetcdfOutput : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = test_support::make_scratch_folder();
    }
    void TearDown() override {
        test_support::remove_scratch_folder(dir_);
    }
    std::string write(const std::string& name, const std::string& text) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir_;
};

TEST_F(NetcdfOutput, EveryChemistrysExampleFileReadsBackAsItsCsv) {
    const struct {
        const char* chemistry;
        const char* standard_name;
    } expected[] = {
        {"Nitrate", "mole_concentration_of_nitrate_in_sea_water"},
        {"Phosphate", "mole_concentration_of_phosphate_in_sea_water"},
        {"pH", "sea_water_ph_reported_on_total_scale"},
        {"TA", "sea_water_alkalinity_expressed_as_mole_equivalent"},
        {"DIC", "moles_of_dissolved_inorganic_carbon_per_unit_mass_in_sea_water"},
    };
    const std::map<std::string, std::size_t> known = {
        {"nitrate.csv", 0}, {"phosphate.csv", 1}, {"ph.csv", 2}, {"ta.csv", 3}, {"dic.csv", 4}};
    std::set<std::string> seen;
    for (const auto& entry : fs::directory_iterator(fs::path(QUELMAR_SOURCE_DIR) / "examples")) {
        if (entry.path().extension() != ".csv")
            continue;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ProcessOutcome out;
        ProcessRequest request;
        request.files = {entry.path().string()};
        request.with_provenance = true;
        run_process_request(request, out);
        const auto e = known.find(name);
        if (e == known.end()) {
            // Any other example is one the processing refuses without --set.
            EXPECT_EQ(out.status, process_refused);
            continue;
        }
        seen.insert(name);
        ASSERT_EQ(out.status, process_ok);
        ASSERT_GE(out.table.row_count(), 3u);
        const auto& x = expected[e->second];
        EXPECT_EQ(out.provenance.chemistry, x.chemistry);
        const std::string nc = file(entry.path().stem().string() + ".nc");
        const SaveOutcome saved = save_netcdf(out.table, nc, out.provenance);
        ASSERT_TRUE(saved.ok) << saved.message;
        EXPECT_EQ(saved.message, "Processed Output saved to " + nc);
        EXPECT_EQ(saved.rows_written, out.table.row_count());
        expect_same_as_table(out.table, nc);

        Nc f(nc);
        EXPECT_EQ(f.text(NC_GLOBAL, "chemistry"), x.chemistry);
        EXPECT_EQ(f.text(NC_GLOBAL, "raw_files"), name);
        EXPECT_EQ(f.text(NC_GLOBAL, "source"), "Quelmar 1.0p");
        // The parameters come from the header: the chemistry's type is among them.
        EXPECT_NE(f.text(NC_GLOBAL, "processing_parameters").find("CHEMISTRY.TYPE="),
                  std::string::npos);
        bool has_standard_name = false;
        int nvars = 0;
        nc_inq_nvars(f.id(), &nvars);
        for (int v = 0; v < nvars; ++v)
            has_standard_name = has_standard_name || f.text(v, "standard_name") == x.standard_name;
        EXPECT_TRUE(has_standard_name);
        const int time = f.var("time");
        EXPECT_EQ(f.text(time, "axis"), "T");
        EXPECT_EQ(f.text(time, "units"), "seconds since 1970-01-01 00:00:00 UTC");
        EXPECT_FALSE(f.has_fill(time));
        // Only nutrient results have the platform's clock beside the sensor's.
        const bool nutrient = e->second < 2;
        EXPECT_EQ(f.var("sensor_time") >= 0, nutrient);
        EXPECT_NE(f.text(time, "comment").find(nutrient ? "platform's clock" : "sensor's clock"),
                  std::string::npos)
            << f.text(time, "comment");
    }
    EXPECT_EQ(seen.size(), known.size()) << "an example file is missing from examples/";
}

TEST_F(NetcdfOutput, MultiFileBatchKeepsSensorNamesAndTheParametersOfTheFilesProcessed) {
    ExampleOptions a, b;
    b.sensor_name = "";  // its rows leave the name empty
    b.nutrient_type = protocol::chemistry::silicate;
    const std::string pa = write("a.csv", nutrient_example(a));
    const std::string pb = write("b.csv", nutrient_example(b));
    const std::string ph = write("ph.csv", ph_example(a));  // refused: not a nutrient
    ProcessRequest request;
    request.multi = true;
    request.files = {pa, file("missing.csv"), ph, pb};
    request.with_provenance = true;
    ProcessOutcome out;
    run_process_request(request, out);
    ASSERT_EQ(out.status, process_read_error);  // the missing file
    EXPECT_EQ(out.provenance.raw_files, (std::vector<std::string>{pa, pb}));
    const std::string nc = file("multi.nc");
    ASSERT_TRUE(save_netcdf(out.table, nc, out.provenance).ok);
    expect_same_as_table(out.table, nc);
    Nc f(nc);
    const std::string params = f.text(NC_GLOBAL, "processing_parameters");
    EXPECT_NE(params.find("[a.csv]\n"), std::string::npos);
    EXPECT_NE(params.find("[b.csv]\n"), std::string::npos);
    EXPECT_EQ(params.find("[ph.csv]"), std::string::npos);
    EXPECT_EQ(params.find("[missing.csv]"), std::string::npos);
    EXPECT_EQ(f.text(NC_GLOBAL, "raw_files"), "a.csv\nb.csv");
    EXPECT_NE(params.find("CORE.SENSOR_NAME=QM-0001"), std::string::npos);
    // Files of different nutrients share the columns: no one standard name fits them.
    EXPECT_EQ(f.text(f.var("nutrient_medium"), "standard_name"), "<none>");
}

TEST_F(NetcdfOutput, CellsWithoutANumberAreFillValues) {
    ResultTable t(ta_columns());
    t.add_row({"01/01/2026 00:00:00", "nan", "-nan", "", "12.5"});
    t.add_row({"05/03/2040 10:20:30", "inf", "x1", "0.1"});          // a row short of a cell
    t.add_row({"2500000000", "-0.000", "1e3", "0.100000", "-inf"});  // beyond the date form
    const std::string nc = file("fill.nc");
    ASSERT_TRUE(save_netcdf(t, nc, {}).ok);
    Nc f(nc);
    const auto ta = f.doubles(f.var("ta"));
    EXPECT_EQ(ta[0], NC_FILL_DOUBLE);
    EXPECT_TRUE(std::isinf(ta[1]));
    EXPECT_TRUE(std::signbit(ta[2]));
    const auto led1 = f.doubles(f.var("absorbance_led1"));
    EXPECT_EQ(led1[0], NC_FILL_DOUBLE);
    EXPECT_EQ(led1[1], NC_FILL_DOUBLE);  // not a number at all
    EXPECT_EQ(led1[2], 1000.0);
    const auto temperature = f.doubles(f.var("thermistor_temperature"));
    EXPECT_EQ(temperature[1], NC_FILL_DOUBLE);  // the missing cell
    const auto time = f.doubles(f.var("time"));
    EXPECT_EQ(time[0], 1767225600.0);
    EXPECT_EQ(time[1], 2214555630.0);
    EXPECT_EQ(time[2], 2500000000.0);
    double fill = 0;
    EXPECT_EQ(nc_get_att_double(f.id(), f.var("ta"), "_FillValue", &fill), NC_NOERR);
    EXPECT_EQ(fill, NC_FILL_DOUBLE);
    // Every time was one: the coordinate has no fill value.
    EXPECT_NE(nc_get_att_double(f.id(), f.var("time"), "_FillValue", &fill), NC_NOERR);
}

TEST_F(NetcdfOutput, RowsWithoutAPlatformTimeAreLeftOutAndOnlyTheColumnMissingOneHasAFill) {
    ResultTable t(nutrient_columns(protocol::chemistry::nitrate));
    auto row = [](const char* platform, const char* sensor, const char* medium) {
        std::vector<std::string> cells(17, "0.500000");
        cells[0] = platform;
        cells[1] = sensor;
        cells[2] = medium;
        return cells;
    };
    t.add_row(row("01/01/2026 00:00:00", "01/01/2026 00:00:05", "1.000"));
    t.add_row(row("31/02/2026 00:01:00", "01/01/2026 00:01:05", "2.000"));  // no such day
    t.add_row(row("01/01/2026 00:02:00", "", "3.000"));
    t.add_row({""});
    const std::string nc = file("times.nc");
    const SaveOutcome saved = save_netcdf(t, nc, {});
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(saved.message, "Processed Output saved to " + nc);
    EXPECT_EQ(saved.rows_written, 2u);
    Nc f(nc);
    ASSERT_EQ(f.rows(), 2u);
    EXPECT_EQ(f.doubles(f.var("time")), (std::vector<double>{1767225600.0, 1767225720.0}));
    EXPECT_EQ(f.doubles(f.var("nitrate_medium")), (std::vector<double>{1.0, 3.0}));
    EXPECT_EQ(f.doubles(f.var("sensor_time")), (std::vector<double>{1767225605.0, NC_FILL_DOUBLE}));
    EXPECT_FALSE(f.has_fill(f.var("time")));
    EXPECT_TRUE(f.has_fill(f.var("sensor_time")));
}

TEST_F(NetcdfOutput, FlagsIntegersTextsAndRepeatedTitles) {
    ResultTable t({{"Time (platform)", 1},
                   {"Meas State", 1},
                   {"Validity", 1},
                   {"Sensor Name", 1},
                   {"Odd # title", 1},
                   {"Odd # title", 1}});
    t.add_row({"01/01/2026 00:00:00", "7", "good", "QM-0001", "1", "2"});
    t.add_row({"01/01/2026 00:01:00", "", "bad", "", "3", "4"});
    t.add_row({"01/01/2026 00:02:00", "x", "worse", "A", "5", "6"});
    const std::string nc = file("kinds.nc");
    ASSERT_TRUE(save_netcdf(t, nc, {}).ok);
    Nc f(nc);
    int states[3];
    ASSERT_EQ(nc_get_var_int(f.id(), f.var("measurement_state"), states), NC_NOERR);
    EXPECT_EQ(states[0], 7);
    EXPECT_EQ(states[1], NC_FILL_INT);
    EXPECT_EQ(states[2], NC_FILL_INT);
    signed char flags[3];
    ASSERT_EQ(nc_get_var_schar(f.id(), f.var("validity"), flags), NC_NOERR);
    EXPECT_EQ(flags[0], 1);
    EXPECT_EQ(flags[1], 2);
    EXPECT_EQ(flags[2], NC_FILL_BYTE);
    char names[3 * 7];
    ASSERT_EQ(nc_get_var_text(f.id(), f.var("sensor_name"), names), NC_NOERR);
    EXPECT_EQ(std::string(names, 7), "QM-0001");
    EXPECT_EQ(std::string(names + 7, 7), std::string(7, '\0'));
    EXPECT_EQ(f.doubles(f.var("odd_title"))[2], 5.0);
    EXPECT_EQ(f.doubles(f.var("odd_title_2"))[2], 6.0);
}

TEST_F(NetcdfOutput, AnEmptyListWritesAFileWithoutRowsAndNoMessage) {
    ResultTable t(dic_columns());
    const std::string nc = file("empty.nc");
    const SaveOutcome saved = save_netcdf(t, nc, {});
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(saved.message, "");
    Nc f(nc);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f.rows(), 0u);
    EXPECT_GE(f.var("dic"), 0);
}

TEST_F(NetcdfOutput, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    ResultTable t(ta_columns());
    t.add_row({"01/01/2026 00:00:00", "1", "2", "3", "4"});

    // The target is a folder: written in full, then refused the rename.
    const fs::path folder = dir_ / "taken.nc";
    fs::create_directories(folder / "inside");
    SaveOutcome saved = save_netcdf(t, folder.string(), {});
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.message.rfind("Failed to save " + folder.string() + ": ", 0), 0u)
        << saved.message;
    EXPECT_TRUE(fs::is_directory(folder / "inside"));

    // No folder to write in.
    const std::string nowhere = (dir_ / "missing" / "r.nc").string();
    saved = save_netcdf(t, nowhere, {});
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.message, "Unable to open " + nowhere + " for write");

    // A save over an existing file replaces it whole; nothing is left beside it.
    const std::string old = write("old.nc", "old contents");
    ASSERT_TRUE(save_netcdf(t, old, {}).ok);
    EXPECT_NE(read(old), "old contents");
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir_))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1u);  // no temporary file left by the failed saves either
}

TEST_F(NetcdfOutput, HeaderKeyLinesAreThoseTheReadersTake) {
    const std::string header =
        "%QUELMAR.CHEMISTRY.TYPE=1\n"  // before the start: the scans read it too
        "%QUELMAR.HEADER_START\n"
        "%QUELMAR.CHEMISTRY.SENSOR_VERSION=0\n"
        "% a comment\n"
        "%QUELMAR.CHEMISTRY.NOT_A_KEY\n"
        "%QUELMAR.HEADER_END\n"
        "1,2,3\n"
        "%QUELMAR.CHEMISTRY.SAMPLE_INTERVAL=50\n";
    MemorySource source(header);
    EXPECT_EQ(header_key_lines(source, false),
              (std::vector<std::string>{"CHEMISTRY.TYPE=1", "CHEMISTRY.SENSOR_VERSION=0"}));
    EXPECT_EQ(header_key_lines(source, true),
              (std::vector<std::string>{"CHEMISTRY.TYPE=1", "CHEMISTRY.SENSOR_VERSION=0",
                                        "CHEMISTRY.SAMPLE_INTERVAL=50"}));
    MemorySource no_header("%QUELMAR.CHEMISTRY.TYPE=1\n1,2,3\n");
    EXPECT_TRUE(header_key_lines(no_header, true).empty());
    // A huge key line is kept short, and the count is bounded.
    std::string many = "%QUELMAR.HEADER_START\n%QUELMAR.X=" + std::string(5000, '9') + "\n";
    for (int i = 0; i < 10000; ++i)
        many += "%QUELMAR.K=1\n";
    MemorySource big(many);
    const auto keys = header_key_lines(big, false);
    ASSERT_EQ(keys.size(), 4096u + 2);  // then the note and the one key's last value
    EXPECT_EQ(keys[0].size(), common::max_text_length);
    EXPECT_EQ(keys.back(), "K=1");
    // The readers rewind after it.
    char c = 0;
    EXPECT_EQ(big.read(&c, 1), 1);
    EXPECT_EQ(c, '%');
}

// Hands out at most a few bytes per read and counts what it gave: lines split across reads,
// and how much of a file a reader took.
class TricklingSource : public RawSource {
  public:
    TricklingSource(std::string data, std::size_t step) : inner_(std::move(data)), step_(step) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::ptrdiff_t n = inner_.read(buffer, std::min(size, step_));
        if (n > 0)
            given_ += static_cast<std::uint64_t>(n);
        return n;
    }
    bool rewind() override { return inner_.rewind(); }
    std::uint64_t size() const override { return inner_.size(); }
    std::uint64_t given() const { return given_; }

  private:
    MemorySource inner_;
    std::size_t step_;
    std::uint64_t given_ = 0;
};

TEST(HeaderKeys, TheRecordHoldsWhatTheScanTookAndEndsWhereTheScanEnds) {
    // A note before the header, a stray line inside it and an indented key: the scan reads
    // past all three and takes every key, so the record does too; it stops at the end marker.
    const std::string text =
        "deployment 7, sensor B\n"
        "%QUELMAR.CHEMISTRY.TYPE=4\n"
        "%QUELMAR.HEADER_START\n"
        "note: standards replaced\n"
        "   %QUELMAR.CHEMISTRY.MEASUREMENT_CHANNEL_MEDIUM=5\n"
        "%QUELMAR.CHEMISTRY.SENSOR_VERSION=0\n"
        "%QUELMAR.HEADER_END\n"
        "%QUELMAR.CHEMISTRY.MEASUREMENT_CHANNEL_MEDIUM=6\n"
        "1,2,3\n";
    MemorySource source(text);
    NutrientSettings settings;
    ASSERT_TRUE(scan_nutrient_header(source, settings, NutrientReader::single_file).header_found);
    EXPECT_EQ(settings.chemistry, 4u);
    EXPECT_EQ(settings.params.medium_measurement_channel, 5u);
    EXPECT_EQ(header_key_lines(source, false),
              (std::vector<std::string>{"CHEMISTRY.TYPE=4", "CHEMISTRY.MEASUREMENT_CHANNEL_MEDIUM=5",
                                        "CHEMISTRY.SENSOR_VERSION=0"}));
}

TEST(HeaderKeys, PastTheLimitTheLastValueOfEachKeyIsKept) {
    // A header written again after every restart of a long deployment: the scan applies the
    // last value, so the record must hold it, however many lines came before.
    std::string text = "%QUELMAR.HEADER_START\n";
    for (int i = 0; i < 5000; ++i)
        text += "%QUELMAR.CHEMISTRY.R_ADJUSTMENT_OFFSET=0.0\n%QUELMAR.CHEMISTRY.R_ADJUSTMENT_SCALE=1.0\n";
    text += "%QUELMAR.CHEMISTRY.R_ADJUSTMENT_OFFSET=0.1\n1,2\n";
    MemorySource source(text);
    const auto keys = header_key_lines(source, true);
    ASSERT_GT(keys.size(), 3u);
    EXPECT_LT(keys.size(), 4100u);
    EXPECT_EQ(keys[keys.size() - 3], "# 5905 further key lines; the last value of each key:");
    EXPECT_EQ(keys[keys.size() - 2], "CHEMISTRY.R_ADJUSTMENT_OFFSET=0.1");
    EXPECT_EQ(keys.back(), "CHEMISTRY.R_ADJUSTMENT_SCALE=1.0");
}

TEST(HeaderKeys, TheKeysTappedFromAScanAreThoseOfAReadOfTheirOwn) {
    const std::string text =
        "%QUELMAR.CHEMISTRY.TYPE=4\r\n"
        "%QUELMAR.HEADER_START\r\n"
        "%QUELMAR.CHEMISTRY.SAMPLE_INTERVAL=100\r\n"
        "%QUELMAR.LONG=" +
        std::string(6000, '7') +
        "\n"
        "% a comment\n"
        "\r\n"
        "\n"
        "%QUELMAR.CHEMISTRY.SENSOR_VERSION=0\n"
        "%QUELMAR.HEADER_END\n"
        "1,2,3\n"
        "%QUELMAR.CHEMISTRY.SAMPLE_INTERVAL=50\n"
        "4,5,6\n"
        "%QUELMAR.THERMISTOR.A=2";  // the last line, without its line feed
    for (const bool to_end : {false, true}) {
        for (const std::size_t step : {1u, 7u, 4096u}) {
            SCOPED_TRACE(std::to_string(step) + (to_end ? " to the end" : " header only"));
            MemorySource own(text);
            const auto expected = header_key_lines(own, to_end);
            ASSERT_EQ(expected.size(), to_end ? 6u : 4u);
            TricklingSource source(text, step);
            HeaderKeyTap tap(source, to_end);
            PhSettings settings;
            const HeaderScan scan = scan_ph_header(tap, settings);
            EXPECT_TRUE(scan.header_found);
            EXPECT_EQ(settings.sample_interval_ms, 50u);  // the scan itself is unchanged
            EXPECT_EQ(tap.keys(), expected);
        }
    }
}

TEST_F(NetcdfOutput, ProgressCoversTheWholeRunAndEndsAtItsTotal) {
    struct Report {
        std::uint64_t done, total;
    };
    auto run = [](const ProcessRequest& request, std::vector<Report>& reports) {
        PassControl control;
        control.progress = [&](std::uint64_t done, std::uint64_t total) {
            reports.push_back({done, total});
        };
        ProcessOutcome out;
        run_process_request(request, out, control);
        return out.status;
    };
    auto expect_whole_run = [](const std::vector<Report>& reports, std::uint64_t total) {
        ASSERT_FALSE(reports.empty());
        for (std::size_t i = 0; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i].total, total);
            if (i > 0) {
                EXPECT_GE(reports[i].done, reports[i - 1].done);
            }
        }
        EXPECT_EQ(reports.back().done, total);
    };
    ExampleOptions o;
    const std::string ph = write("ph.csv", ph_example(o));
    const std::uint64_t ph_size = fs::file_size(ph);
    {
        // The pH scan reads the file whole before the pass reads it again.
        std::vector<Report> reports;
        ProcessRequest request;
        request.files = {ph};
        ASSERT_EQ(run(request, reports), process_ok);
        expect_whole_run(reports, 2 * ph_size);
        EXPECT_TRUE(std::any_of(reports.begin(), reports.end(), [&](const Report& r) {
            return r.done > 0 && r.done <= ph_size;
        })) << "the scan reports nothing";
    }
    {
        // Only the files that open count, and files refused after their header are done.
        const std::string a = write("a.csv", nutrient_example(o));
        const std::string b = write("b.csv", nutrient_example(o));
        std::vector<Report> reports;
        ProcessRequest request;
        request.multi = true;
        request.files = {a, file("missing.csv"), ph, b};
        run(request, reports);
        expect_whole_run(reports, fs::file_size(a) + ph_size + fs::file_size(b));
    }
}

TEST(NetcdfColumns, TimeCellsThatAreNoTimes) {
    EXPECT_EQ(time_cell_seconds("29/02/2024 23:59:59"), 1709251199.0);
    EXPECT_EQ(time_cell_seconds("01/13/2026 00:00:00"), std::nullopt);
    EXPECT_EQ(time_cell_seconds("29/02/2100 00:00:00"), std::nullopt);
    EXPECT_EQ(time_cell_seconds("29/02/2000 00:00:00"), 951782400.0);
    EXPECT_EQ(time_cell_seconds("31/04/2026 00:00:00"), std::nullopt);
    EXPECT_EQ(time_cell_seconds("1/1/2026 0:0:0"), std::nullopt);
    EXPECT_EQ(time_cell_seconds(""), std::nullopt);
    EXPECT_EQ(time_cell_seconds("12x"), std::nullopt);
    EXPECT_EQ(result_format_of_path("results.nc.csv"), ResultFormat::csv);
}

TEST_F(NetcdfOutput, SettingsGivenWithoutAHeaderAreTheParameters) {
    ExampleOptions o;
    o.header = false;
    ProcessRequest request;
    request.files = {write("no_header.csv", ta_example(o))};
    request.with_provenance = true;
    request.chemistry = Chemistry::ta;
    request.settings = {"CHEMISTRY.TYPE=7", "CHEMISTRY.MEASUREMENT_CHANNEL=0"};
    ProcessOutcome out;
    run_process_request(request, out);
    EXPECT_EQ(out.provenance.parameters, request.settings);
}

}  // namespace
}  // namespace quelmar::processing
