#include "Station.h"

namespace nerimo {

Station::Station(const Settings& settings, const Services& services, Panel& panel,
                 Surface& plotSurface)
    : serial_(settings, services.port, services.messages, services.retry),
      hamlib_(settings, services.radio, services.messages, services.retry),
      receiver_(settings.rigModel > 0 ? static_cast<Receiver*>(&hamlib_) : &serial_),
      plot_(plotSurface, settings.colorIndex),
      log_(services.log, services.messages, services.clock),
      history_(services.clock),
      sweep_(settings, *receiver_, plot_, panel, services.scheduler) {
    plot_.SetSpan(settings.spanMHz);
    sweep_.Listen(log_);
    sweep_.Listen(history_);
}

}  // namespace nerimo
