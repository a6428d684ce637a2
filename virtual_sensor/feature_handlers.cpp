#include "virtual_sensor/virtual_sensor.h"
#include "virtual_sensor/state_machine_handlers.h"
#include "virtual_sensor/run_handlers.h"
#include "virtual_sensor/chemistry_handlers.h"
#include "virtual_sensor/diagnostics_handlers.h"
#include "virtual_sensor/factory_handlers.h"
#include "virtual_sensor/bootloader_handlers.h"
#include "virtual_sensor/comms_handlers.h"
#include "virtual_sensor/optics_handlers.h"
#include "virtual_sensor/clock_handlers.h"

namespace quelmar::virtual_sensor {

// Each feature's commands; add a feature's install call here.
void install_feature_handlers(VirtualSensor& sensor) {
    install_state_machine_handlers(sensor);
    install_run_handlers(sensor);
    install_chemistry_handlers(sensor);
    install_diagnostics_handlers(sensor);
    install_factory_handlers(sensor);
    install_bootloader_handlers(sensor);
    install_comms_handlers(sensor);
    install_optics_handlers(sensor);
    install_clock_handlers(sensor);
}

}  // namespace quelmar::virtual_sensor
