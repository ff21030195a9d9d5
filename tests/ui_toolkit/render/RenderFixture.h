#pragma once
// A fixture for the render tests: a resource folder of its own holding the
// test's pictures, and an image library. The resource settings and the
// shared image table are process-wide, so every test starts from loose files
// and an empty shared table and leaves them so.

#include <string>

#include <gtest/gtest.h>

#include "platform/TextConversion.h"
#include "TestPictures.h"
#include "support/TempFolder.h"
#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/render/ImageLibrary.h"

class RenderFixture : public ::testing::Test {
protected:
    RenderFixture() {
        ImageLibrary::RemoveAllSharedImages();
        ResourceSettings::SetResourceArchiveFile(L"");
        ResourceSettings::SetResourceFolder(platform::ToWide(m_folder.path()));
    }
    ~RenderFixture() override {
        ImageLibrary::RemoveAllSharedImages();
        ResourceSettings::SetResourceArchiveFile(L"");
        ResourceSettings::SetResourceFolder(L"");
        ResourceSettings::SetInstance("");
    }

    // Places a picture in the resource folder under `name`.
    void AddPicture(const std::string& name, int width, int height, const StraightPixels& pixels) {
        WritePng(Path(name), width, height, pixels);
    }
    std::string Path(const std::string& name) const { return m_folder / name; }

    TempFolder m_folder;
    ImageLibrary m_images;
};
