// quelmar-cli make-examples DIR: the synthetic raw output files under examples/.

#include <cstdio>
#include <string>

#include "common/csv_writer.h"
#include "processing/example_files.h"
#include "tools/cli.h"

namespace quelmar::tools {

namespace {

bool write_file(const std::string& path, const std::string& text) {
    common::CsvWriter writer;
    // The generated text already ends in a line feed; write it as one piece.
    bool ok = writer.open(path);
    if (ok && !text.empty())
        ok = writer.write_line(text.substr(0, text.size() - 1));
    ok = ok && writer.commit();
    if (!ok)
        std::fprintf(stderr, "quelmar-cli make-examples: %s\n", writer.error().c_str());
    return ok;
}

int run_make_examples(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage:\nquelmar-cli make-examples DIR\n");
        return exit_usage;
    }
    const std::string dir = argv[1];
    using namespace processing;
    namespace chem = protocol::chemistry;
    ExampleOptions o;
    bool ok = true;
    o.cycles = 6;
    o.sensor_name = "QM-N001";
    o.nutrient_type = chem::nitrate;
    ok = ok && write_file(dir + "/nitrate.csv", nutrient_example(o));
    o.sensor_name = "QM-P002";
    o.nutrient_type = chem::phosphate;
    o.start_time += 86400;
    ok = ok && write_file(dir + "/phosphate.csv", nutrient_example(o));
    o = ExampleOptions{};
    o.cycles = 3;
    ok = ok && write_file(dir + "/ph.csv", ph_example(o));
    o.cycles = 4;
    ok = ok && write_file(dir + "/ta.csv", ta_example(o));
    o.cycles = 6;
    ok = ok && write_file(dir + "/dic.csv", dic_example(o));
    o = ExampleOptions{};
    o.header = false;
    o.cycles = 2;
    ok = ok && write_file(dir + "/nitrate_no_header.csv", nutrient_example(o));
    return ok ? exit_ok : exit_failure;
}

constexpr const char* make_examples_description =
    "Writes the synthetic raw output files of every chemistry (nitrate, phosphate, pH, TA, DIC\n"
    "and a nitrate file without a header), whose results are known, into the folder DIR.\n";

const CliRegistrar registrar({"make-examples", "quelmar-cli make-examples DIR", run_make_examples,
                              make_examples_description});

}  // namespace

}  // namespace quelmar::tools
