#include "common/forms.h"


#include <QCoreApplication>
#include <QDialog>
#include <QMenu>
#include <algorithm>
#include <utility>
#include <vector>

namespace
{

struct Entry {
    std::type_index type;
    QPointer<QWidget> window;
};

std::vector<Entry>& entries()
{
    static std::vector<Entry> list;
    return list;
}

std::function<void()>& endHandler()
{
    static std::function<void()> handler = [] { QCoreApplication::quit(); };
    return handler;
}

bool& endAskedFor()
{
    static bool asked = false;
    return asked;
}

int& nestedDialogs()
{
    static int depth = 0;
    return depth;
}

// Unloaded while a nested dialog ran: deleted once it has returned.
std::vector<QPointer<QWidget>>& awaitingDeletion()
{
    static std::vector<QPointer<QWidget>> list;
    return list;
}

// Boxes and lists that belong to the window close with it, so their loops return.
void closeOwnedDialogs(QWidget* window)
{
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isWindow() || !child->isVisible())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(child))
            dialog->reject();
        else if (auto* menu = qobject_cast<QMenu*>(child))
            menu->close();
    }
}

void dropDeleted()
{
    auto& list = entries();
    std::erase_if(list, [](const Entry& e) { return e.window.isNull(); });
}

} // namespace

QWidget* FormRegistry::find(std::type_index type)
{
    dropDeleted();
    for (const Entry& e : entries())
        if (e.type == type)
            return e.window;
    return nullptr;
}

void FormRegistry::add(std::type_index type, QWidget* window)
{
    entries().push_back(Entry{type, window});
}

void FormRegistry::unload(QWidget* window)
{
    if (!window)
        return;
    std::erase_if(entries(), [window](const Entry& e) { return e.window == window; });
    const bool nested = nestedDialogs() > 0;
    if (nested)
        closeOwnedDialogs(window);
    // A modal dialog's own loop returns first; the window goes once control is back in the loop.
    if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
        dialog->done(QDialog::Rejected);
    window->hide();
    if (!nested) {
        window->deleteLater();
        return;
    }
    auto& waiting = awaitingDeletion();
    if (std::find(waiting.begin(), waiting.end(), window) == waiting.end())
        waiting.emplace_back(window);
}

void FormRegistry::unloadAll()
{
    endAskedFor() = true;
    dropDeleted();
    // Newest first, so a modal window goes before the window that opened it.
    while (!entries().empty())
        unload(entries().back().window);
    endHandler()();
}

void FormRegistry::setProgramEndHandler(std::function<void()> handler)
{
    endHandler() = handler ? std::move(handler) : [] { QCoreApplication::quit(); };
    endAskedFor() = false;
}

bool FormRegistry::programEnding()
{
    return endAskedFor();
}

int FormRegistry::loadedCount()
{
    dropDeleted();
    return static_cast<int>(entries().size());
}

NestedDialogScope::NestedDialogScope()
{
    ++nestedDialogs();
}

NestedDialogScope::~NestedDialogScope()
{
    if (--nestedDialogs() > 0)
        return;
    // Control goes back to the code that opened the last box; the windows go once it returns
    // to the event loop.
    const auto waiting = std::exchange(awaitingDeletion(), {});
    for (const QPointer<QWidget>& window : waiting)
        if (window)
            window->deleteLater();
}

void UnloadAllForms()
{
    FormRegistry::unloadAll();
}
