#pragma once

// The start that every test of the list page against the simulator shares: the page is fed by the real discovery
// library, as the window feeds it.

#include <QMetaType>
#include <QObject>
#include <QVector>

#include "devicelist/DeviceDisplayPage.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "modify/ModifyPage.h"
#include "support/SimulatorProcess.h"

namespace testsupport {

// The record types that cross from the library's thread, our maker trusted and no ONVIF login left from before.
// False when the maker could not be trusted.
inline bool prepareLiveList() {
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    VEXA::OnvifLogin::instance().clear();
    return trustTestManufacturer();
}

// Hands the library's reports to the page and starts discovery with every maker listed.
inline bool startDiscoveryInto(VexaTool::DeviceDisplayPage* page) {
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceOnline, page,
                     &VexaTool::DeviceDisplayPage::onDeviceLogin);
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceOffline, page,
                     &VexaTool::DeviceDisplayPage::onDeviceLogout);
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceUpdate, page,
                     &VexaTool::DeviceDisplayPage::onDeviceUpdate);
    return handler->setFilterRule(false) && handler->start();
}

} // namespace testsupport
