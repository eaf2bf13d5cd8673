#pragma once

#include <QMetaType>

// The kind of right-hand page a selection of devices calls for. The list page decides it from the activation
// states of the ticked devices and sends it with every selection; the modify page shows the matching frames.
enum ModifyPage {
    MODIFY_SINGLE = 0, // nothing selected, or exactly one activated device
    MODIFY_BATCH = 1,  // two or more devices, all activated
    ACTIVE_SINGLE = 2, // exactly one device, not activated
    ACTIVE_BATCH = 3,  // two or more devices, none activated
    ACTIVE_MIXED = 4,  // two or more devices, some activated and some not: no operation is offered
};

Q_DECLARE_METATYPE(ModifyPage)
