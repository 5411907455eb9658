#pragma once

#include "platform/banner/banner.h"

#include <QString>
#include <QStringList>
#include <QWidget>

namespace zerva::test {

// A banner that only records where it was sent.
class FakeBanner : public QWidget, public Banner {
public:
    QStringList navigations;
    Shell* shell = nullptr;

    FakeBanner(QWidget* parent, Shell* s) : QWidget(parent), shell(s) {}
    QWidget* widget() override { return this; }
    void Navigate(const QString& address) override { navigations << address; }
};

} // namespace zerva::test
