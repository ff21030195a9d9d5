#pragma once
// An animated picture: its frames stretched over the control, one after the
// other at their own delays, while the control is visible. It paints nothing
// else and handles no events.

#include <memory>
#include <string>

#include "ui_toolkit/core/ControlUI.h"

struct AnimatedPicture;

class CGifAnimUI : public CControlUI {
public:
    CGifAnimUI();
    ~CGifAnimUI() override;

    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;

    // A plain picture name, read like any picture. A new name stops playing
    // and forgets the decoded picture.
    void SetPicture(std::wstring_view name);
    const std::wstring& GetPicture() const { return m_picture; }
    void Play();
    void Stop();
    bool IsPlaying() const { return m_playing; }
    int GetFrame() const { return m_frame; }
    int GetFrameCount() const;

    void InitSelf() override;
    void SetVisible(bool visible = true) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void HandleEvent(ControlEvent& event) override;
    void PaintContent(Canvas& dc) override;

private:
    // Decodes the picture when it is not yet; a picture that cannot be had is
    // tried again next time.
    void Decode();
    std::uint32_t CurrentDelayMs() const;

    std::wstring m_picture;
    std::unique_ptr<AnimatedPicture> m_frames;
    int m_frame = 0;
    bool m_autoPlay = true;
    bool m_autoSize = false;
    bool m_playing = false;
};
