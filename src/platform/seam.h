#pragma once

#include <functional>
#include <mutex>
#include <utility>

// A replaceable outside effect. The application installs the real behaviour
// (or keeps the default); a test replaces it for as long as a TScopedSeam lives.
template <class Signature>
class TSeam;

template <class R, class... A>
class TSeam<R(A...)> {
public:
    using TFunction = std::function<R(A...)>;

    explicit TSeam(TFunction fallback) : Current(std::move(fallback)) {}

    R operator()(A... args) const {
        TFunction fn;
        {
            std::lock_guard guard(Lock);
            fn = Current;
        }
        return fn(std::forward<A>(args)...);
    }

    // Installs a new behaviour and returns the one it replaces.
    TFunction Replace(TFunction fn) {
        std::lock_guard guard(Lock);
        std::swap(Current, fn);
        return fn;
    }

private:
    mutable std::mutex Lock;
    TFunction Current;
};

template <class Signature>
class TScopedSeam {
public:
    TScopedSeam(TSeam<Signature>& seam, std::function<Signature> fn) : Seam(seam), Previous(seam.Replace(std::move(fn))) {}
    ~TScopedSeam() { Seam.Replace(std::move(Previous)); }
    TScopedSeam(const TScopedSeam&) = delete;
    TScopedSeam& operator=(const TScopedSeam&) = delete;

private:
    TSeam<Signature>& Seam;
    std::function<Signature> Previous;
};
