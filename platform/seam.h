#pragma once

// A seam holds the one implementation of an operating-system contact that the program uses.
// The program gets the Qt implementation; a test installs its fake for the time of a test.
template <typename Interface, typename QtImplementation> class Seam
{
public:
    static Interface& get()
    {
        if (installed_)
            return *installed_;
        // Made once and kept for the life of the process, so no seam outlives Qt at exit.
        static QtImplementation* real = new QtImplementation;
        return *real;
    }
    static void install(Interface* replacement) { installed_ = replacement; }

private:
    static inline Interface* installed_ = nullptr;
};

// Installs a fake for the lifetime of the guard.
template <typename SeamType, typename Interface> class ScopedSeam
{
public:
    explicit ScopedSeam(Interface* fake) { SeamType::install(fake); }
    ~ScopedSeam() { SeamType::install(nullptr); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;
};
