#include "processing/processing_messages.h"

namespace quelmar::processing {

const ProcessingTexts& processing_texts(Chemistry chemistry) {
    static const ProcessingTexts nutrient{
        "Process Raw Nutrient Data",
        "No Nutrient Processing Parameters found in file header: please enter them by hand, or "
        "connect a sensor and try again to use the current values from the sensor.",
        "This file has the wrong chemistry type for Nutrient processing.",
        "Process Raw Nutrient Output"};
    static const ProcessingTexts ph{
        "Process Raw pH Data",
        "No pH Processing Parameters found in file header: please enter them by hand, or "
        "connect a sensor and try again to use the current values from the sensor.",
        "This file has the wrong chemistry type for pH processing.", "Process Raw pH Output"};
    static const ProcessingTexts ta{
        "Process Raw TA Data",
        "No TA Processing Parameters found in file header: please enter them by hand.",
        "This file has the wrong chemistry type for TA processing.", "Process Raw TA Output"};
    static const ProcessingTexts dic{
        "Process Raw DIC Data",
        "No DIC Processing Parameters found in file header: please enter them by hand.",
        "This file has the wrong chemistry type for DIC processing.", "Process Raw DIC Output"};
    switch (chemistry) {
        case Chemistry::nutrient:
            return nutrient;
        case Chemistry::ph:
            return ph;
        case Chemistry::ta:
            return ta;
        case Chemistry::dic:
            return dic;
    }
    return nutrient;
}

}  // namespace quelmar::processing
