// One move-only owner for every kind of handle the setup holds. Each kind is a small traits type
// that names its raw type, its "no handle" value and how it is released; the aliases below (and
// beside the wrappers that use them) give each kind its own type, so a handle can never be
// released the wrong way or twice.
#pragma once

#include <utility>

namespace wcl {

template <typename Traits>
class Unique {
public:
    using pointer = typename Traits::pointer;

    Unique() noexcept = default;
    explicit Unique(pointer value) noexcept : value_(value) {}
    ~Unique() { reset(); }

    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    // Gives up ownership without releasing.
    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid())
            Traits::close(old);
    }

    // For out-parameters of creating calls: releases what is held and hands out the slot.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

} // namespace wcl
