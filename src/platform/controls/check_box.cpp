#include "platform/controls/check_box.h"

namespace zerva {

CheckBox::CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    connect(this, &QCheckBox::stateChanged, this, [this] { Q_EMIT Click(); });
}

int CheckBox::value() const
{
    switch (checkState()) {
    case Qt::Checked: return Ticked;
    case Qt::PartiallyChecked: return Greyed;
    default: return Unticked;
    }
}

void CheckBox::setValue(int value)
{
    if (value == Greyed)
        setTristate(true);
    setCheckState(value == Ticked ? Qt::Checked : value == Greyed ? Qt::PartiallyChecked : Qt::Unchecked);
}

} // namespace zerva
