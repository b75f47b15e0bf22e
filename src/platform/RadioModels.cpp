#include "RadioModels.h"

#include <hamlib/rig.h>

#include <algorithm>

namespace nerimo::platform {

namespace {

int AddModel(const rig_caps* caps, rig_ptr_t models) {
    static_cast<QList<RadioModel>*>(models)->append(
        {int(caps->rig_model), QString::fromUtf8(caps->mfg_name) + QLatin1Char(' ') +
                                   QString::fromUtf8(caps->model_name)});
    return 1;  // go on
}

}  // namespace

QList<RadioModel> RadioModels() {
    rig_set_debug(RIG_DEBUG_NONE);  // else it writes pages on standard error
    rig_load_all_backends();
    QList<RadioModel> models;
    rig_list_foreach(AddModel, &models);
    std::sort(models.begin(), models.end(), [](const RadioModel& a, const RadioModel& b) {
        const bool aNet = a.number == RIG_MODEL_NETRIGCTL;
        const bool bNet = b.number == RIG_MODEL_NETRIGCTL;
        if (aNet != bNet) {
            return aNet;
        }
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.number < b.number;
    });
    return models;
}

}  // namespace nerimo::platform
