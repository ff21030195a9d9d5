#pragma once

#include <atomic>

// The window's side of the carousel fetch, called on the fetch thread. The
// fetch writes the count first and raises the flag last, with an atomic
// exchange; the window reads the count only after it has seen the flag.
class ICarouselWindow {
public:
    virtual void SetBannerCount(int count) = 0;
    virtual std::atomic<bool>& GetCarouselReady() = 0;

protected:
    ~ICarouselWindow() = default;
};
