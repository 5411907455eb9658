#pragma once

#include <QStringList>

namespace zerva {
class ListView;
}

namespace zerva::test {

// The text of every item of `list`, in order.
QStringList ListTexts(const ListView& list);

} // namespace zerva::test
