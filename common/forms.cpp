#include "common/forms.h"

#include "common/keyboard.h"

#include <QCoreApplication>
#include <QDialog>
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
    // Every window of the program answers the keyboard alike.
    UseKeyboardConventions();
    entries().push_back(Entry{type, window});
}

void FormRegistry::unload(QWidget* window)
{
    if (!window)
        return;
    std::erase_if(entries(), [window](const Entry& e) { return e.window == window; });
    // A modal dialog's own loop returns first; the window goes once control is back in the loop.
    if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
        dialog->done(QDialog::Rejected);
    window->hide();
    window->deleteLater();
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

void UnloadAllForms()
{
    FormRegistry::unloadAll();
}
