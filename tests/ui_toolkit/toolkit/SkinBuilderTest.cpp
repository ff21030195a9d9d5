// Building control trees from markup: declarations, window settings,
// includes, the element table, defaults and covers.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/TempFolder.h"
#include "ui_toolkit/builder/ControlFactory.h"
#include "ui_toolkit/core/ContainerUI.h"
#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/core/TextSubstitution.h"
#include "SkinFixture.h"

namespace {

IContainerUI* AsContainer(CControlUI* control) {
    return control != nullptr ? static_cast<IContainerUI*>(control->CastTo(L"IContainer")) : nullptr;
}

class SkinBuilderTest : public ::testing::Test {
protected:
    void SetUp() override { ResourceSettings::SetResourceFolder(platform::ToWide(ZD_BUILDER_TEST_DATA)); }
    void TearDown() override {
        ResourceSettings::SetResourceFolder(L"");
        RemoveAllMultiLanguageTexts();
        RemoveAllControlFactoryHooks();
    }

    SkinFixture skin{400, 300};
};

TEST_F(SkinBuilderTest, IncludeRepeatsTheIncludedControlsInOrder) {
    for (int count : {3, 1, 0}) {
        SkinFixture local(100, 100);
        CControlUI* root = local.Show(L"<Window><VerticalLayout><Include source=\"repeated.xml\" count=\"" +
                                      std::to_wstring(count) + L"\"/><Control name=\"after\"/></VerticalLayout></Window>");
        IContainerUI* container = AsContainer(root);
        ASSERT_NE(container, nullptr);
        ASSERT_EQ(container->GetCount(), 2 * count + 1) << "count " << count;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(container->GetItemAt(2 * i)->GetFixedHeight(), 10);
            EXPECT_EQ(container->GetItemAt(2 * i + 1)->GetFixedHeight(), 5);
        }
        EXPECT_EQ(container->GetItemAt(2 * count)->GetName(), L"after");
    }
}

TEST_F(SkinBuilderTest, IncludeWithoutSourceOrWithAMissingFileContributesNothing) {
    CControlUI* root = skin.Show(LR"(<Window><VerticalLayout><Include count="2"/><Include source="absent.xml"/>
      <Control/></VerticalLayout></Window>)");
    EXPECT_EQ(AsContainer(root)->GetCount(), 1);
}

TEST_F(SkinBuilderTest, ElementNamesIgnoreCaseExceptGifAnim) {
    SkinBuilder builder;
    ASSERT_TRUE(builder.Load(L"<Window><gifanim/><horizontallayout name=\"row\"/><VBOX/><GifAnim/></Window>"));
    std::unique_ptr<CControlUI> row = builder.Build(nullptr, &skin.manager);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetClass(), L"HorizontalLayout");
    EXPECT_EQ(row->GetName(), L"row");

    CContainerUI parent;
    CControlUI* first = builder.Build(nullptr, &skin.manager, &parent);
    EXPECT_EQ(first, parent.GetItemAt(0));
    ASSERT_EQ(parent.GetCount(), 3);
    EXPECT_EQ(parent.GetItemAt(1)->GetClass(), L"VerticalLayout");
    EXPECT_EQ(parent.GetItemAt(2)->GetClass(), L"GifAnim");
}

TEST_F(SkinBuilderTest, UnknownElementsAreSkippedWithTheirChildrenUnlessSomeoneCreatesThem) {
    SkinBuilder builder;
    ASSERT_TRUE(builder.Load(L"<Window><VerticalLayout><Widget><Control name=\"inside\"/></Widget>"
                             L"<Control/></VerticalLayout></Window>"));
    std::unique_ptr<CControlUI> root = builder.Build(nullptr, &skin.manager);
    EXPECT_EQ(AsContainer(root.get())->GetCount(), 1);

    AddControlFactoryHook([](std::wstring_view element) -> std::unique_ptr<CControlUI> {
        if (element == L"Widget") return std::make_unique<CContainerUI>();
        return nullptr;
    });
    root = builder.Build(nullptr, &skin.manager);
    ASSERT_EQ(AsContainer(root.get())->GetCount(), 2);
    EXPECT_EQ(AsContainer(AsContainer(root.get())->GetItemAt(0))->GetItemAt(0)->GetName(), L"inside");
}

TEST_F(SkinBuilderTest, RootWithoutChildrenBuildsNothing) {
    SkinBuilder builder;
    ASSERT_TRUE(builder.Load(L"<Window size=\"10,10\"><Font id=\"1\" name=\"Sans\"/></Window>"));
    EXPECT_EQ(builder.Build(nullptr, &skin.manager), nullptr);
    ASSERT_TRUE(builder.Load(L"<Window/>"));
    EXPECT_EQ(builder.Build(nullptr, &skin.manager), nullptr);
    EXPECT_FALSE(builder.Load(L"Window"));
    EXPECT_EQ(builder.Build(nullptr, &skin.manager), nullptr);
}

TEST_F(SkinBuilderTest, ParentThatIsNotAContainerGetsNothing) {
    SkinBuilder builder;
    ASSERT_TRUE(builder.Load(L"<Window><Control/></Window>"));
    CControlUI plain;
    EXPECT_EQ(builder.Build(nullptr, &skin.manager, &plain), nullptr);
    // Children of a non-container are dropped; the control itself stays.
    ASSERT_TRUE(builder.Load(L"<Window><VerticalLayout><Control><Control name=\"lost\"/></Control>"
                             L"</VerticalLayout></Window>"));
    std::unique_ptr<CControlUI> root = builder.Build(nullptr, &skin.manager);
    EXPECT_EQ(AsContainer(root.get())->GetCount(), 1);
}

TEST_F(SkinBuilderTest, WindowAttributesGoToTheManagerInDocumentOrder) {
    skin.Show(LR"(<Window size="300,200" sizebox="4,4,4,4" caption="0,0,0,290" roundcorner="3,3"
        mininfo="100,80" maxinfo="900,700" custom="one" custom="two" linkfontcolor="#FF112233"
        Size="320,240"><Control/></Window>)");
    EXPECT_EQ(skin.window.GetClientRect(), (UiRect{0, 0, 320, 240}));
    EXPECT_EQ(skin.manager.GetInitSize(), (UiSize{320, 240}));
    EXPECT_EQ(skin.manager.GetSizeBox(), (UiRect{4, 4, 4, 4}));
    EXPECT_EQ(skin.manager.GetCaptionRect(), (UiRect{0, 0, 0, 290}));
    EXPECT_EQ(skin.manager.GetRoundCorner(), (UiSize{3, 3}));
    EXPECT_EQ(skin.manager.GetMinInfo(), (UiSize{100, 80}));
    EXPECT_EQ(skin.manager.GetMaxInfo(), (UiSize{900, 700}));
    EXPECT_EQ(skin.manager.GetDefaultLinkFontColor(), 0xFF112233u);
    ASSERT_NE(skin.manager.GetWindowAttribute(L"custom"), nullptr);
    EXPECT_EQ(*skin.manager.GetWindowAttribute(L"custom"), L"one");
    // Laid out at the size the skin asked for.
    EXPECT_EQ(skin.manager.GetRoot()->GetPos(), (UiRect{0, 0, 320, 240}));
}

TEST_F(SkinBuilderTest, DeclarationsFillTheManagerTables) {
    skin.Show(LR"(<Window>
      <Font id="2" name="Segoe UI" size="20" bold="TRUE"/>
      <Font id="3" name="Segoe UI Semibold" default="true"/>
      <Font name="Nameless"/>
      <Font id="-1" name="Negative"/>
      <Image name="#FF00FF00" restype="*COLOR*"/>
      <Default name="Control" value="height=&quot;7&quot; bkcolor=&quot;#FF00FF00&quot;"/>
      <MultiLanguage id="12" value="Hello"/>
      <VerticalLayout><Control name="defaulted"/><Control name="explicit" height="9"/></VerticalLayout>
    </Window>)");
    const FontEntry& two = skin.manager.GetFontInfo(2);
    EXPECT_EQ(two.face, L"Segoe UI");
    EXPECT_EQ(two.size, 20);
    EXPECT_TRUE(two.bold);
    const FontEntry& three = skin.manager.GetFontInfo(3);
    EXPECT_EQ(three.size, 12);
    EXPECT_EQ(skin.manager.GetFontInfo(-1).face, L"Segoe UI Semibold");
    EXPECT_EQ(skin.manager.GetFontInfo(99).face, L"Segoe UI Semibold");

    const ImageEntry* green = skin.manager.GetImage(L"#FF00FF00");
    ASSERT_NE(green, nullptr);
    EXPECT_EQ(green->width, 1);

    EXPECT_EQ(skin.Find(L"defaulted")->GetFixedHeight(), 7);
    EXPECT_EQ(skin.Find(L"defaulted")->GetBkColor(), 0xFF00FF00u);
    EXPECT_EQ(skin.Find(L"explicit")->GetFixedHeight(), 9);
    EXPECT_EQ(SubstituteTexts(L"say %{12} %{13} %0"), L"say Hello %{13} %0");
}

TEST_F(SkinBuilderTest, CoverIsSetInsteadOfAdded) {
    CControlUI* root = skin.Show(LR"(<Window><VerticalLayout><Control name="base" height="40">
      </Control><Container name="holder" height="30"><Control name="cover" cover="true"/></Container>
      </VerticalLayout></Window>)");
    CControlUI* holder = skin.Find(L"holder");
    EXPECT_EQ(AsContainer(holder)->GetCount(), 0);
    ASSERT_NE(holder->GetCover(), nullptr);
    EXPECT_EQ(holder->GetCover()->GetName(), L"cover");
    EXPECT_EQ(holder->GetCover()->GetPos(), holder->GetPos());
    EXPECT_EQ(AsContainer(root)->GetCount(), 2);
}

TEST_F(SkinBuilderTest, AttributesReachTheControlInDocumentOrder) {
    skin.Show(LR"(<Window><VerticalLayout>
      <Control name="c" height="5" height="6" bordersize="2" bordersize="1,2,3,4" colorhsl="true"
        bkcolor="  #80FF0000" menu="true" shortcut="xyz" tag="42" userdata="u"
        borderround ="2,2" style="x" style="y" disabledtextcolor="#00FFFFFF"align="center"/>
      </VerticalLayout></Window>)");
    CControlUI* c = skin.Find(L"c");
    EXPECT_EQ(c->GetFixedHeight(), 6);
    EXPECT_EQ(c->GetBorderSize(), (UiRect{1, 2, 3, 4}));
    EXPECT_EQ(c->GetBkColor(), 0x80FF0000u);
    EXPECT_TRUE(c->IsContextMenuEnabled());
    EXPECT_EQ(c->GetShortcut(), L'x');
    EXPECT_EQ(c->GetTag(), 42u);
    EXPECT_EQ(c->GetUserData(), L"u");
    EXPECT_EQ(c->GetBorderRound(), (UiSize{2, 2}));
    ASSERT_NE(c->GetExtraAttribute(L"style"), nullptr);
    EXPECT_EQ(*c->GetExtraAttribute(L"style"), L"x");
    ASSERT_NE(c->GetExtraAttribute(L"align"), nullptr);
    EXPECT_EQ(*c->GetExtraAttribute(L"align"), L"center");
    EXPECT_EQ(*c->GetExtraAttribute(L"disabledtextcolor"), L"#00FFFFFF");
}

TEST_F(SkinBuilderTest, ResourceSkinIncludesResourceNumbersOfTheSameType) {
    SkinBuilder builder;
    ASSERT_TRUE(builder.Load(7, "xml"));
    std::unique_ptr<CControlUI> root = builder.Build(nullptr, &skin.manager);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), L"outer");
    ASSERT_EQ(AsContainer(root.get())->GetCount(), 2);
    EXPECT_EQ(AsContainer(root.get())->GetItemAt(1)->GetFixedHeight(), 20);
    EXPECT_EQ(skin.window.GetClientRect(), (UiRect{0, 0, 300, 200}));

    EXPECT_FALSE(builder.Load(99, "xml"));
    EXPECT_EQ(builder.Build(nullptr, &skin.manager), nullptr);
}

}  // namespace
