#pragma once

#include <QStylePlugin>

// Makes CommonStyle available to QStyleFactory from the program's plugins/styles folder.
class CommonStylePlugin : public QStylePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QStyleFactoryInterface_iid FILE "commonstyle.json")

public:
    QStyle* create(const QString& key) override;
};
