#include "ui_toolkit/controls/GifAnimUI.h"

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/DrawImage.h"
#include "ui_toolkit/render/ImageLoader.h"

namespace {

constexpr std::uint32_t kFrameTimer = 100;
// A frame without a delay is shown this long.
constexpr std::uint32_t kDefaultFrameMs = 100;

}  // namespace

CGifAnimUI::CGifAnimUI() = default;

CGifAnimUI::~CGifAnimUI() = default;

std::wstring_view CGifAnimUI::GetClass() const { return L"GifAnim"; }

void* CGifAnimUI::CastTo(std::wstring_view name) {
    if (name == L"GifAnim") return this;
    return CControlUI::CastTo(name);
}

int CGifAnimUI::GetFrameCount() const { return m_frames != nullptr ? static_cast<int>(m_frames->frames.size()) : 0; }

void CGifAnimUI::SetPicture(std::wstring_view name) {
    if (name == m_picture) return;
    Stop();
    m_frames.reset();
    m_frame = 0;
    m_picture = name;
    Invalidate();
}

void CGifAnimUI::Decode() {
    if (m_frames != nullptr || m_picture.empty()) return;
    m_frames = LoadAnimatedPicture(m_picture);
    if (m_frames == nullptr) return;
    m_frame = 0;
    if (m_autoSize) {
        SetFixedWidth(m_frames->frames.front()->width);
        SetFixedHeight(m_frames->frames.front()->height);
    }
    if (m_autoPlay && !m_frames->delays.empty()) Play();
}

std::uint32_t CGifAnimUI::CurrentDelayMs() const {
    const int delay = m_frames->delays.empty() ? 0 : m_frames->delays[static_cast<std::size_t>(m_frame)];
    return delay > 0 ? static_cast<std::uint32_t>(delay) * 10 : kDefaultFrameMs;
}

void CGifAnimUI::Play() {
    if (m_playing || m_frames == nullptr || m_manager == nullptr) return;
    m_playing = m_manager->SetTimer(this, kFrameTimer, CurrentDelayMs());
}

void CGifAnimUI::Stop() {
    if (!m_playing) return;
    if (m_manager != nullptr) m_manager->KillTimer(this, kFrameTimer);
    m_frame = 0;
    m_playing = false;
    Invalidate();
}

void CGifAnimUI::InitSelf() { Decode(); }

void CGifAnimUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (visible) {
        if (m_frames != nullptr) Play();
        return;
    }
    Stop();
    m_frame = 0;
    Invalidate();
}

void CGifAnimUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"bkimage") {
        SetPicture(value);
    } else if (name == L"autoplay") {
        m_autoPlay = ParseBool(value);
    } else if (name == L"autosize") {
        m_autoSize = ParseBool(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CGifAnimUI::HandleEvent(ControlEvent& event) {
    if (event.kind != kEventTimer || event.wParam != kFrameTimer || m_frames == nullptr || m_manager == nullptr) {
        return;
    }
    m_manager->KillTimer(this, kFrameTimer);
    Invalidate();
    m_frame = (m_frame + 1) % GetFrameCount();
    m_manager->SetTimer(this, kFrameTimer, CurrentDelayMs());
}

void CGifAnimUI::PaintContent(Canvas& dc) {
    Decode();
    if (m_frames == nullptr) return;
    DrawPicture(dc, *m_frames->frames[static_cast<std::size_t>(m_frame)], m_rcItem, m_rcPaint);
}
