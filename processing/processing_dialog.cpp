#include "processing/processing_dialog.h"

#include "processing/dic_processing_dialog.h"
#include "processing/multi_nutrient_processing_dialog.h"
#include "processing/nutrient_processing_dialog.h"
#include "processing/ph_processing_dialog.h"
#include "processing/ta_processing_dialog.h"

namespace quelmar::processing {

namespace {
template <class Dialog>
void run(QWidget* parent) {
    Dialog dialog(parent);
    if (dialog.start())
        dialog.exec();
}
}  // namespace

void run_nutrient_processing_dialog(QWidget* parent) {
    run<NutrientProcessingDialog>(parent);
}
void run_multi_nutrient_processing_dialog(QWidget* parent) {
    run<MultiNutrientProcessingDialog>(parent);
}
void run_ph_processing_dialog(QWidget* parent) {
    run<PhProcessingDialog>(parent);
}
void run_ta_processing_dialog(QWidget* parent) {
    run<TaProcessingDialog>(parent);
}
void run_dic_processing_dialog(QWidget* parent) {
    run<DicProcessingDialog>(parent);
}

}  // namespace quelmar::processing
