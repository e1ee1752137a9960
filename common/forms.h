#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <typeindex>

// The window registry: every window exists at most once. A window is created on first use and
// deleted on unload, so the next use starts with a fresh load.
class FormRegistry
{
public:
    static QWidget* find(std::type_index type);
    static void add(std::type_index type, QWidget* window);
    static void unload(QWidget* window);
    static void unloadAll();
    // What ends the program once every window is unloaded (the application's quit by default).
    // A new handler starts afresh: no end has been asked for yet.
    static void setProgramEndHandler(std::function<void()> handler);
    // Whether every window has been unloaded to end the program. Work that keeps the thread
    // (the start-up, the check walk) stops there, since the windows it would use are gone.
    static bool programEnding();
    static int loadedCount();
};

// While a message box, a file dialog or a drop-down list runs its own loop, the code that opened
// it is still on the stack, and so may be the window it belongs to. A window unloaded meanwhile
// is hidden at once, its open boxes are closed, and it is deleted only after the last such loop
// has returned.
class NestedDialogScope
{
public:
    NestedDialogScope();
    ~NestedDialogScope();
    NestedDialogScope(const NestedDialogScope&) = delete;
    NestedDialogScope& operator=(const NestedDialogScope&) = delete;
};

namespace Forms
{

template <typename T> T* Loaded()
{
    return static_cast<T*>(FormRegistry::find(std::type_index(typeid(T))));
}

template <typename T> T& Get()
{
    if (T* existing = Loaded<T>())
        return *existing;
    T* window = new T;
    FormRegistry::add(std::type_index(typeid(T)), window);
    return *window;
}

template <typename T> void Unload()
{
    if (T* window = Loaded<T>())
        FormRegistry::unload(window);
}

inline void Unload(QWidget* window)
{
    FormRegistry::unload(window);
}

// Shows the window modally and returns when it is closed (it may unload itself meanwhile).
template <typename T> void ShowModal()
{
    QPointer<T> window(&Get<T>());
    window->exec();
}

} // namespace Forms

// Unloads every loaded window, one after the other; with the last one the program ends.
void UnloadAllForms();
