#pragma once
// Synthetic raw output files of every chemistry, written as the sensor writes them: a header
// with the processing parameters, the column-title line and 20-field data lines of complete
// measurement cycles with known answers. The examples, the tests and the benchmarks use them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/chemistry.h"

namespace quelmar::processing {

struct ExampleOptions {
    std::size_t cycles = 4;
    std::string sensor_name = "QM-0001";
    protocol::ChemistryType nutrient_type = protocol::chemistry::nitrate;
    bool header = true;
    std::uint32_t start_time = 1767225600;  // 01/01/2026 00:00:00
};

// Nutrient: blank, standards 10 and 20 µM, sample, linear fit, triggered by the sample.
// The sample concentration of cycle c is 5 + 3·sin(c) µM on all three paths.
std::string nutrient_example(const ExampleOptions& options);
// pH: sample interval 100 ms, blank 2 s to 4 s into the measurement state, a dye plug whose
// absorbance ratio in cycle c is 1.2 + 0.1·sin(c).
std::string ph_example(const ExampleOptions& options);
// TA: blank and sample under LED1 and LED2, triggered by sample (LED2).
std::string ta_example(const ExampleOptions& options);
// DIC: inlet 0 a CRM of 2030.5 µmol/kg measured every fifth cycle (and first), inlet 1 the
// sample, whose DIC in cycle c is 2100 + 50·sin(c) µmol/kg.
std::string dic_example(const ExampleOptions& options);

// The sample concentration, ratio and DIC the examples encode for cycle c.
double example_nutrient_concentration(std::size_t cycle);
double example_ph_ratio(std::size_t cycle);
double example_dic_value(std::size_t cycle);

}  // namespace quelmar::processing
