#include "ModalRunner.h"

#include <QDialog>

namespace {
ModalHook& hook()
{
    static ModalHook instance;
    return instance;
}
}  // namespace

void setModalHook(ModalHook h)
{
    hook() = std::move(h);
}

int runModal(QDialog& dialog)
{
    // A copy: the hook may replace itself while it runs.
    ModalHook h = hook();
    if (h)
        return h(dialog);
    return dialog.exec();
}
