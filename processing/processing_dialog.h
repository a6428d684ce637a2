#pragma once
// The offline processing commands of the main window: each asks for its raw output file(s)
// and, unless that is cancelled, runs its modal dialog. None needs a sensor.

class QWidget;

namespace quelmar::processing {

void run_nutrient_processing_dialog(QWidget* parent);
void run_multi_nutrient_processing_dialog(QWidget* parent);
void run_ph_processing_dialog(QWidget* parent);
void run_ta_processing_dialog(QWidget* parent);
void run_dic_processing_dialog(QWidget* parent);

}  // namespace quelmar::processing
