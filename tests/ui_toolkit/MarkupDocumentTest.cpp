#include "ui_toolkit/markup/MarkupDocument.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"
#include "ui_toolkit/core/ResourceSettings.h"

namespace {

const std::set<std::wstring> kErrorMessages = {
    L"Expected start tag",       L"Error parsing element name",     L"Error while parsing attributes",
    L"Expected attribute value", L"Error while parsing attribute string", L"Expected start-tag closing",
    L"Expected end-tag start",   L"Unmatched closing tag",
};

// One element as Name[attr=value ...]{text}(children), siblings joined by ','.
void DumpElement(const MarkupNode& node, std::wstring& out) {
    out += node.GetName();
    if (node.HasAttributes()) {
        out += L'[';
        for (std::size_t i = 0; i < node.GetAttributeCount(); ++i) {
            if (i != 0) out += L' ';
            out += node.GetAttributeName(i);
            out += L'=';
            out += node.GetAttributeValue(i);
        }
        out += L']';
    }
    if (!node.GetText().empty()) {
        out += L'{';
        out += node.GetText();
        out += L'}';
    }
    if (node.HasChildren()) {
        out += L'(';
        for (MarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
            if (child.GetParent().GetName().data() != node.GetName().data()) out += L"<wrong parent>";
            DumpElement(child, out);
            if (child.GetSibling().IsValid()) out += L',';
        }
        out += L')';
    }
}

// The root and the top-level elements after it, joined by " | ".
std::wstring Dump(const MarkupDocument& document) {
    std::wstring out;
    for (MarkupNode node = document.GetRoot(); node.IsValid(); node = node.GetSibling()) {
        if (!out.empty()) out += L" | ";
        DumpElement(node, out);
    }
    return out;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

struct TestCase {
    const wchar_t* markup;
    const wchar_t* expected;
};

// The markup as a readable test name: control characters escaped.
std::string Printable(const wchar_t* markup) {
    std::string out;
    for (const wchar_t* c = markup; *c != 0; ++c) {
        const auto code = static_cast<std::uint32_t>(*c);
        if (code < 32) {
            const char hex[] = "0123456789ABCDEF";
            out += std::string("\\x") + hex[code >> 4] + hex[code & 15];
        } else {
            out += static_cast<char>(code < 0x80 ? code : '?');
        }
    }
    return out.empty() ? "(empty)" : out;
}

void PrintTo(const TestCase& test, std::ostream* out) {
    *out << Printable(test.markup);
}

class MarkupDocumentSyntaxTest : public ::testing::TestWithParam<TestCase> {};

TEST_P(MarkupDocumentSyntaxTest, ParsesTheTree) {
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(GetParam().markup))
        << Narrow(document.GetLastErrorMessage()) << " at '" << Narrow(document.GetLastErrorLocation()) << "'";
    EXPECT_EQ(Dump(document), GetParam().expected);
    EXPECT_EQ(document.GetLastErrorMessage(), L"");
    EXPECT_EQ(document.GetLastErrorLocation(), L"");
}

const TestCase kAccepted[] = {
    {L"<Window/>", L"Window"},
    {L"<Window></Window>", L"Window"},
    {L"<Button></Button >", L"Button"},
    {L"<Button></Button\n\t>", L"Button"},
    {LR"(<Label disabledtextcolor="#00FFFFFF"align="center"/>)", L"Label[disabledtextcolor=#00FFFFFF align=center]"},
    {LR"(<Control borderround ="2,2"/>)", L"Control[borderround=2,2]"},
    {L"<Control a = \"1\"\tb\n=\n\"2\" c=\"3\"/>", L"Control[a=1 b=2 c=3]"},
    {L"<A\x01x=\"1\"\x1F/>", L"A[x=1]"},
    {LR"(<Button text="Install &gt;&gt;"/>)", L"Button[text=Install >>]"},
    {LR"(<Button text="&#62;"/>)", L"Button[text=&#62;]"},
    {LR"(<T v="&amp;&lt;&gt;&quot;&apos;"/>)", LR"(T[v=&<>"'])"},
    {L"<T>&amp;&lt;&gt;&quot;&apos;</T>", LR"(T{&<>"'})"},
    {LR"(<T v="&nbsp; &amp &#x3E; & &amp;lt;"/>)", L"T[v=&nbsp; &amp &#x3E; & &lt;]"},
    {LR"(<T v="&AMP;&Lt;"/>)", L"T[v=&AMP;&Lt;]"},
    // Values may hold markup characters; only '"' ends them.
    {LR"(<A x="<a/>=b>" y="c"/>)", L"A[x=<a/>=b> y=c]"},
    // A value that shrank while replacing entities, then an attribute without
    // whitespace before it: the freed characters must not read as attributes.
    {LR"(<A x="&quot;y=&quot;"z="2"/>)", LR"(A[x="y=" z=2])"},
    {LR"(<A x="" y="" z="3"/>)", L"A[x= y= z=3]"},
    {LR"(<A x="&amp;&amp;&amp;&amp;"><B/></A>)", L"A[x=&&&&](B)"},
    {LR"(<ns:Item_2 a_b:c="1" _9="2"/>)", L"ns:Item_2[a_b:c=1 _9=2]"},
    {L"<T>  a  b  </T>", L"T{  a  b  }"},
    {L"<W>hello<B/></W>", L"W{hello}(B)"},
    // Content that looks like attributes is text.
    {L"<T>abc=\"x\"</T>", L"T{abc=\"x\"}"},
    {L"<A x=\"1\">y=\"2\"<B/></A>", L"A[x=1]{y=\"2\"}(B)"},
    {L"<W>a &lt; b<B/>  </W>", L"W{a < b}(B)"},
    {L"<W><V><B/><L/></V><H/></W>", L"W(V(B,L),H)"},
    {L"  \r\n<W>\n <B/>\n</W>\n  ", L"W{\n }(B)"},
    {L"<!-- a comment --><Window><!-- inside --><Button/><!----></Window><!-- after -->", L"Window(Button)"},
    {L"<W><!-- <B/> --></W>", L"W"},
    {L"<W>text<!-- c --></W>", L"W{text}"},
    // "<!" needs "->" to end, so a declaration without one hides the rest.
    {L"<!DOCTYPE skin><W/>", L""},
    {L"<!x-><W/>", L"W"},
    {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window/>", L"Window"},
    {L"<?a > b?><W><?pi x?><B/></W>", L"W(B)"},
    // The end of the text at top level or directly inside the root.
    {L"", L""},
    {L"  <!-- only a comment -->  ", L""},
    {L"<Window>", L"Window"},
    {L"<Window x=\"1\">text", L"Window[x=1]{text}"},
    {L"<Window><Button/>", L"Window(Button)"},
    {L"<Window><Button/><!-- unterminated", L"Window(Button)"},
    // Later top-level elements are parsed; the first one is the root.
    {L"<A/><B x=\"1\"/><C>", L"A | B[x=1] | C"},
};

INSTANTIATE_TEST_SUITE_P(Accepted, MarkupDocumentSyntaxTest, ::testing::ValuesIn(kAccepted));

struct ErrorCase {
    const wchar_t* markup;
    const wchar_t* message;
    const wchar_t* location;
};

void PrintTo(const ErrorCase& test, std::ostream* out) {
    *out << Printable(test.markup);
}

class MarkupDocumentErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(MarkupDocumentErrorTest, FailsWithMessageAndLocation) {
    MarkupDocument document;
    EXPECT_FALSE(document.LoadFromString(GetParam().markup));
    EXPECT_EQ(document.GetLastErrorMessage(), GetParam().message);
    EXPECT_EQ(document.GetLastErrorLocation(), GetParam().location);
    EXPECT_FALSE(document.GetRoot().IsValid());
}

const ErrorCase kRejected[] = {
    {L"hello", L"Expected start tag", L"hello"},
    {L"<W/>junk", L"Expected start tag", L"junk"},
    {L"<W><B/>text</W>", L"Expected start tag", L"text</W>"},
    // "->" ends a comment early.
    {L"<!-- a -> b --><W/>", L"Expected start tag", L"b --><W/>"},
    {L"<W><V><B/>", L"Expected start tag", L""},
    {L"<>", L"Error parsing element name", L">"},
    {L"< W/>", L"Error parsing element name", L" W/>"},
    {L"<W><-/></W>", L"Error parsing element name", L"-/></W>"},
    {L"<", L"Error parsing element name", L""},
    {L"<W a/>", L"Error while parsing attributes", L"/>"},
    {L"<W a b=\"1\"/>", L"Error while parsing attributes", L"b=\"1\"/>"},
    {L"<W a='1'/>", L"Expected attribute value", L"'1'/>"},
    {L"<W a=1/>", L"Expected attribute value", L"1/>"},
    {L"<W a=", L"Expected attribute value", L""},
    {L"<W x=\"1\" a=\"val&amp;ue", L"Error while parsing attribute string", L"\"val&amp;ue"},
    {L"<W a=\"1\"", L"Expected start-tag closing", L""},
    {L"<W a=\"1\" / >", L"Expected start-tag closing", L"/ >"},
    {L"<W \"x\">", L"Expected start-tag closing", L"\"x\">"},
    {L"<W><V>", L"Expected end-tag start", L""},
    {L"<W><V>text", L"Expected end-tag start", L""},
    {L"<Button></button>", L"Unmatched closing tag", L"</button>"},
    {L"<Button></Butto>", L"Unmatched closing tag", L"</Butto>"},
    {L"<Button></ButtonX>", L"Unmatched closing tag", L"</ButtonX>"},
    {L"<Button></ Button>", L"Unmatched closing tag", L"</ Button>"},
    {L"<Button>text</Button", L"Unmatched closing tag", L"</Button"},
    {L"<W><B></W>", L"Unmatched closing tag", L"</W>"},
    {L"</W>", L"Unmatched closing tag", L"</W>"},
    {L"<W/></W>", L"Unmatched closing tag", L"</W>"},
};

INSTANTIATE_TEST_SUITE_P(Rejected, MarkupDocumentErrorTest, ::testing::ValuesIn(kRejected));

TEST(MarkupDocumentTest, ErrorLocationKeepsAtMost49Characters) {
    MarkupDocument document;
    const std::wstring tail(100, L'y');
    EXPECT_FALSE(document.LoadFromString(L"<W/>" + tail));
    EXPECT_EQ(document.GetLastErrorLocation(), tail.substr(0, 49));
}

TEST(MarkupDocumentTest, EachLoadReplacesTheDocumentAndItsError) {
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(L"<First/>"));
    EXPECT_FALSE(document.LoadFromString(L"<Second>"
                                         L"</Third>"));
    EXPECT_FALSE(document.GetRoot().IsValid());
    EXPECT_EQ(document.GetLastErrorMessage(), L"Unmatched closing tag");

    ASSERT_TRUE(document.LoadFromString(L"<Fourth/>"));
    EXPECT_EQ(Dump(document), L"Fourth");
    EXPECT_EQ(document.GetLastErrorMessage(), L"");
    EXPECT_EQ(document.GetLastErrorLocation(), L"");
}

TEST(MarkupDocumentTest, LoadFromStringCopiesTheText) {
    std::wstring text = L"<Window caption=\"0,0,0,30\"/>";
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(text));
    std::fill(text.begin(), text.end(), L'x');
    EXPECT_EQ(Dump(document), L"Window[caption=0,0,0,30]");
}

TEST(MarkupDocumentTest, TextEndsAtTheFirstNul) {
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(std::wstring(L"<A/>\0garbage", 12)));
    EXPECT_EQ(Dump(document), L"A");
    ASSERT_TRUE(document.LoadFromMemory("<B/>\0garbage", 12));
    EXPECT_EQ(Dump(document), L"B");
}

TEST(MarkupDocumentTest, ViewsAreNulTerminated) {
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(LR"(<Window a="x&amp;y" b="2"><Label text="t">body</Label></Window>)"));
    const MarkupNode label = document.GetRoot().GetChild();
    for (std::wstring_view view : {document.GetRoot().GetName(), document.GetRoot().GetAttributeName(0),
                                   document.GetRoot().GetAttributeValue(0), document.GetRoot().GetAttributeValue(1),
                                   label.GetName(), label.GetAttributeValue(L"text"), label.GetText()}) {
        EXPECT_EQ(view.data()[view.size()], L'\0') << Narrow(std::wstring(view));
    }
}

TEST(MarkupDocumentTest, NavigationEndsInInvalidCursors) {
    MarkupDocument document;
    EXPECT_FALSE(document.GetRoot().IsValid());
    ASSERT_TRUE(document.LoadFromString(L"<W><A/><B><C/></B></W>"));
    const MarkupNode root = document.GetRoot();
    EXPECT_FALSE(root.GetParent().IsValid());
    EXPECT_FALSE(root.GetSibling().IsValid());
    const MarkupNode b = root.GetChild().GetSibling();
    EXPECT_EQ(b.GetName(), L"B");
    EXPECT_FALSE(b.GetSibling().IsValid());
    EXPECT_TRUE(b.HasChildren());
    EXPECT_FALSE(root.GetChild().HasChildren());
    EXPECT_EQ(b.GetChild().GetParent().GetParent().GetName(), L"W");

    const MarkupNode none = b.GetSibling();
    EXPECT_FALSE(none.GetChild().IsValid());
    EXPECT_FALSE(none.GetParent().IsValid());
    EXPECT_FALSE(none.HasChildren());
    EXPECT_FALSE(none.HasAttributes());
    EXPECT_EQ(none.GetAttributeCount(), 0u);
    EXPECT_EQ(none.GetName(), L"");
    EXPECT_EQ(none.GetText(), L"");
    EXPECT_EQ(none.GetAttributeValue(L"x"), L"");
}

TEST(MarkupNodeTest, AttributeByNameIsExactAndCaseSensitive) {
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(LR"(<B Text="upper" text="lower" text="again" texts="longer"/>)"));
    const MarkupNode node = document.GetRoot();
    EXPECT_EQ(node.GetAttributeValue(L"text"), L"lower");
    EXPECT_EQ(node.GetAttributeValue(L"Text"), L"upper");
    EXPECT_EQ(node.GetAttributeValue(L"texts"), L"longer");
    EXPECT_TRUE(node.HasAttribute(L"text"));
    EXPECT_FALSE(node.HasAttribute(L"TEXT"));
    EXPECT_FALSE(node.HasAttribute(L"tex"));
    EXPECT_FALSE(node.HasAttribute(L""));
    EXPECT_EQ(node.GetAttributeValue(L"TEXT"), L"");
    // Every attribute is kept by index, duplicates included.
    ASSERT_EQ(node.GetAttributeCount(), 4u);
    EXPECT_EQ(node.GetAttributeName(2), L"text");
    EXPECT_EQ(node.GetAttributeValue(2), L"again");
}

TEST(MarkupNodeTest, AttributeByIndexOutOfRangeIsEmpty) {
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(LR"(<W a="1" b="2"><C/></W>)"));
    const MarkupNode node = document.GetRoot();
    EXPECT_TRUE(node.HasAttributes());
    EXPECT_EQ(node.GetAttributeName(1), L"b");
    EXPECT_EQ(node.GetAttributeName(2), L"");
    EXPECT_EQ(node.GetAttributeValue(2), L"");
    EXPECT_EQ(node.GetAttributeValue(std::size_t{1000}), L"");
    EXPECT_FALSE(node.GetChild().HasAttributes());
    EXPECT_EQ(node.GetChild().GetAttributeName(0), L"");
}

TEST(MarkupNodeTest, AttributeValueCopiesAtMostTheGivenLength) {
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(LR"(<Include source="home.xml" empty=""/>)"));
    const MarkupNode node = document.GetRoot();
    std::wstring value = L"old";
    EXPECT_TRUE(node.GetAttributeValue(L"source", 4, &value));
    EXPECT_EQ(value, L"home");
    EXPECT_TRUE(node.GetAttributeValue(L"source", 499, &value));
    EXPECT_EQ(value, L"home.xml");
    EXPECT_TRUE(node.GetAttributeValue(L"empty", 10, &value));
    EXPECT_EQ(value, L"");
    value = L"old";
    EXPECT_FALSE(node.GetAttributeValue(L"count", 10, &value));
    EXPECT_EQ(value, L"");
}

TEST(MarkupNodeTest, SeesTheFirst64Attributes) {
    std::wstring markup = L"<Window><Control";
    for (int i = 0; i < 70; ++i) markup += L" a" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    markup += L"/><Label z=\"1\"/></Window>";
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(markup));
    const MarkupNode control = document.GetRoot().GetChild();
    ASSERT_EQ(control.GetAttributeCount(), MarkupNode::kMaxAttributes);
    EXPECT_EQ(control.GetAttributeName(63), L"a63");
    EXPECT_EQ(control.GetAttributeValue(63), L"v63");
    EXPECT_EQ(control.GetAttributeValue(L"a63"), L"v63");
    EXPECT_FALSE(control.HasAttribute(L"a64"));
    EXPECT_EQ(control.GetAttributeName(64), L"");
    EXPECT_EQ(control.GetSibling().GetAttributeValue(L"z"), L"1");

    // A copy carries the filled cache along.
    const MarkupNode copy = control;
    EXPECT_EQ(copy.GetAttributeValue(L"a10"), L"v10");
    MarkupNode assigned;
    assigned = control;
    EXPECT_EQ(assigned.GetAttributeName(63), L"a63");
}

TEST(MarkupNodeTest, AttributesPastTheCacheAreStillChecked) {
    std::wstring markup = L"<Control";
    for (int i = 0; i < 70; ++i) markup += L" a" + std::to_wstring(i) + L"=\"v\"";
    MarkupDocument document;
    EXPECT_FALSE(document.LoadFromString(markup + L" broken/>"));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Error while parsing attributes");
}

// Crosses several growths of the element table; every element must keep its
// name, attributes, text and links.
TEST(MarkupDocumentTest, ThousandsOfElements) {
    constexpr int kRows = 3000;
    std::wstring markup = L"<Window>";
    for (int i = 0; i < kRows; ++i) {
        const std::wstring n = std::to_wstring(i);
        markup += L"<Row index=\"" + n + L"\">t" + n + L"<Cell v=\"&lt;" + n + L"\"/></Row>";
    }
    markup += L"</Window>";
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(markup));

    int count = 0;
    const MarkupNode root = document.GetRoot();
    for (MarkupNode row = root.GetChild(); row.IsValid(); row = row.GetSibling(), ++count) {
        const std::wstring n = std::to_wstring(count);
        ASSERT_EQ(row.GetName(), L"Row");
        ASSERT_EQ(row.GetAttributeValue(L"index"), n);
        ASSERT_EQ(row.GetText(), L"t" + n);
        ASSERT_EQ(row.GetParent().GetName(), L"Window");
        const MarkupNode cell = row.GetChild();
        ASSERT_EQ(cell.GetAttributeValue(L"v"), L"<" + n);
        ASSERT_FALSE(cell.GetSibling().IsValid());
        ASSERT_EQ(cell.GetParent().GetAttributeValue(L"index"), n);
    }
    EXPECT_EQ(count, kRows);
}

// The parser keeps no stack of its own per level, so nesting is bounded only
// by memory.
TEST(MarkupDocumentTest, DeepNesting) {
    constexpr int kDepth = 200000;
    std::wstring markup;
    for (int i = 0; i < kDepth; ++i) markup += L"<a>";
    for (int i = 0; i < kDepth; ++i) markup += L"</a>";
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromString(markup));
    int depth = 0;
    MarkupNode deepest;
    for (MarkupNode node = document.GetRoot(); node.IsValid(); node = node.GetChild(), ++depth) deepest = node;
    EXPECT_EQ(depth, kDepth);
    for (int i = 1; i < kDepth; ++i) deepest = deepest.GetParent();
    EXPECT_FALSE(deepest.GetParent().IsValid());
}

TEST(MarkupDocumentTest, Utf8WithAndWithoutByteOrderMark) {
    const std::string body = "<Label text=\"Gr\xC3\xB6\xC3\x9F" "e \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80\">"
                             "\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A</Label>";
    for (const std::string& bytes : {body, "\xEF\xBB\xBF" + body}) {
        MarkupDocument document;
        ASSERT_TRUE(document.LoadFromMemory(bytes.data(), bytes.size()));
        EXPECT_EQ(document.GetRoot().GetAttributeValue(L"text"), L"Gr\u00F6\u00DFe \u4E2D\u6587 \U0001F600");
        EXPECT_EQ(document.GetRoot().GetText(), L"\u0639\u0631\u0628\u064A");
    }
}

TEST(MarkupDocumentTest, ByteOrderMarkIsSkippedOnlyAtTheStart) {
    MarkupDocument document;
    EXPECT_TRUE(document.LoadFromMemory("\xEF\xBB\xBF", 3));
    EXPECT_FALSE(document.GetRoot().IsValid());
    const std::string twice = "\xEF\xBB\xBF\xEF\xBB\xBF<W/>";
    EXPECT_FALSE(document.LoadFromMemory(twice.data(), twice.size()));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Expected start tag");
    EXPECT_EQ(document.GetLastErrorLocation(), L"\uFEFF<W/>");
}

TEST(MarkupDocumentTest, InvalidUtf8BecomesQuestionMarks) {
    const std::string bytes = "<W v=\"a\xFF\xC3z\"/>";
    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromMemory(bytes.data(), bytes.size()));
    EXPECT_EQ(document.GetRoot().GetAttributeValue(L"v"), L"a??z");
    EXPECT_TRUE(document.LoadFromMemory(nullptr, 0));
    EXPECT_FALSE(document.GetRoot().IsValid());
}

// A skin-like document, good and then damaged, loaded truncated at every byte:
// each prefix loads or fails with one of the parser's messages, a failure's
// location is text of the input, and a prefix that loads after the layout's
// end tag gives the whole tree.
TEST(MarkupDocumentTest, EveryTruncationOfGoodAndBadInput) {
    const std::string good =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<Window size=\"600,400\" caption=\"0,0,0,40\" roundcorner=\"4,4\">\n"
        "  <!-- fonts -->\n"
        "  <Font id=\"0\" name=\"Segoe UI\" size=\"12\" default=\"true\"/>\n"
        "  <VerticalLayout bkcolor=\"#FFFFFFFF\">\n"
        "    <Label text=\"Gr\xC3\xB6\xC3\x9F" "e &amp; &#62;\" disabledtextcolor=\"#00FFFFFF\"align=\"center\"/>\n"
        "    <Button name=\"install\" text=\"Install &gt;&gt;\" borderround =\"2,2\"></Button >\n"
        "    <Text>Line &lt;one&gt;</Text>\n"
        "  </VerticalLayout>\n"
        "</Window>\n";
    std::string bad = good;
    bad.replace(bad.find("</Button >"), 10, "</button >");

    MarkupDocument full;
    ASSERT_TRUE(full.LoadFromMemory(good.data(), good.size()));
    const std::wstring fullDump = Dump(full);
    EXPECT_EQ(fullDump,
              L"Window[size=600,400 caption=0,0,0,40 roundcorner=4,4]{\n  }("
              L"Font[id=0 name=Segoe UI size=12 default=true],"
              L"VerticalLayout[bkcolor=#FFFFFFFF]{\n    }("
              L"Label[text=Gr\u00F6\u00DFe & &#62; disabledtextcolor=#00FFFFFF align=center],"
              L"Button[name=install text=Install >> borderround=2,2],"
              L"Text{Line <one>}))");

    const std::size_t rootOpen = good.find(">\n  <!--") + 1;
    const std::size_t layoutEnd = good.find("</VerticalLayout>") + std::string("</VerticalLayout>").size();
    std::vector<bool> goodLoaded;
    const std::string* const inputs[] = {&good, &bad};
    for (const std::string* input : inputs) {
        for (std::size_t length = 0; length <= input->size(); ++length) {
            SCOPED_TRACE((input == &good ? "good" : "bad") + std::string(", length ") + std::to_string(length));
            MarkupDocument document;
            const bool loaded = document.LoadFromMemory(input->data(), length);
            if (input == &good) goodLoaded.push_back(loaded);
            if (!loaded) {
                EXPECT_EQ(kErrorMessages.count(document.GetLastErrorMessage()), 1u);
                const std::wstring text = platform::ToWide(input->substr(0, length));
                EXPECT_NE(text.find(document.GetLastErrorLocation()), std::wstring::npos);
                EXPECT_FALSE(document.GetRoot().IsValid());
            } else if (input == &good && length >= layoutEnd) {
                EXPECT_EQ(Dump(document), fullDump);
            }
        }
    }
    EXPECT_TRUE(goodLoaded[rootOpen]);
    EXPECT_TRUE(goodLoaded[layoutEnd]);
    EXPECT_TRUE(goodLoaded[good.size() - 1]);

    MarkupDocument damaged;
    EXPECT_FALSE(damaged.LoadFromMemory(bad.data(), bad.size()));
    EXPECT_EQ(damaged.GetLastErrorMessage(), L"Unmatched closing tag");
    EXPECT_EQ(damaged.GetLastErrorLocation(), platform::ToWide(bad.substr(bad.find("</button >"))).substr(0, 49));
}

TEST(MarkupDocumentTest, LoadFromFileReadsThroughTheResourceSettings) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "skin");
    WriteFileText(folder / "skin/home.xml", "<Window><Button text=\"Install &gt;&gt;\"/></Window>");
    WriteFileText(folder / "skin/empty.xml", "");
    WriteFileText(folder / "skin/broken.xml", "<Window></window>");
    ResourceSettings::SetResourceArchiveFile(L"");
    ResourceSettings::SetResourceFolder(platform::ToWide(folder.path()));

    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromFile(L"skin\\home.xml"));
    EXPECT_EQ(Dump(document), L"Window(Button[text=Install >>])");

    EXPECT_FALSE(document.LoadFromFile(L"skin/empty.xml"));
    EXPECT_EQ(document.GetLastErrorMessage(), L"File is empty");
    EXPECT_EQ(document.GetLastErrorLocation(), L"skin/empty.xml");
    EXPECT_FALSE(document.GetRoot().IsValid());

    const std::wstring longName = L"skin/" + std::wstring(60, L'n') + L".xml";
    EXPECT_FALSE(document.LoadFromFile(longName));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Error opening file");
    EXPECT_EQ(document.GetLastErrorLocation(), longName.substr(0, 49));

    EXPECT_FALSE(document.LoadFromFile(L"skin/broken.xml"));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Unmatched closing tag");
    EXPECT_EQ(document.GetLastErrorLocation(), L"</window>");
    ResourceSettings::SetResourceFolder(L"");
}

}  // namespace
