#include "fakes/list_texts.h"

#include "platform/controls/list_view.h"

namespace zerva::test {

QStringList ListTexts(const ListView& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.text(i);
    return texts;
}

} // namespace zerva::test
