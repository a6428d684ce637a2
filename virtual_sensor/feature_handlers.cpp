#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

// Each feature's commands; add a feature's install call here.
void install_feature_handlers(VirtualSensor& sensor) { (void)sensor; }

}  // namespace quelmar::virtual_sensor
