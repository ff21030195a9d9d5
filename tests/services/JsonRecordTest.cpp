#include "services/DownloaderGAJSONStruct.h"
#include "services/ImageConfigInfoJSONStruct.h"
#include "services/ImageInfoJSONStruct.h"
#include "services/SerializeJson.h"
#include "services/WideToUtf8.h"

#include <gtest/gtest.h>

namespace {

DownloaderGAInfo Info() {
    return {"ID", "UID", {{"Downloader_Installed", "T (Windows version)", "ID"}}};
}

TEST(DownloaderGAJSONStructTest, WritesTheDocumentPrettyInTableOrder) {
    const DownloaderGAInfo info = Info();
    rapidjson::Document document;
    CDownloaderGAJSONStruct adapter(document.GetAllocator(), &info);
    EXPECT_EQ(SerializeJson(adapter, document),
              "{\n"
              "    \"client_id\": \"ID\",\n"
              "    \"user_properties\": {\n"
              "        \"uid\": {\n"
              "            \"value\": \"UID\"\n"
              "        }\n"
              "    },\n"
              "    \"events\": [\n"
              "        {\n"
              "            \"name\": \"Downloader_Installed\",\n"
              "            \"params\": {\n"
              "                \"event_category\": \"T (Windows version)\",\n"
              "                \"event_label\": \"ID\"\n"
              "            }\n"
              "        }\n"
              "    ]\n"
              "}");
}

TEST(DownloaderGAJSONStructTest, TheKeyFilterDropsMembersWithWhatTheyHold) {
    struct Case {
        JsonFilterMode mode;
        std::unordered_set<std::string> keys;
        const char* json;
    } cases[] = {
        {kJsonFilter_Include, {"client_id"}, R"({"client_id":"ID"})"},
        {kJsonFilter_Exclude, {"events"}, R"({"client_id":"ID","user_properties":{"uid":{"value":"UID"}}})"},
        {kJsonFilter_Exclude,
         {"uid", "params"},
         R"({"client_id":"ID","user_properties":{},"events":[{"name":"Downloader_Installed"}]})"},
        {kJsonFilter_Include, {"events", "name"}, R"({"events":[{"name":"Downloader_Installed"}]})"},
        {kJsonFilter_Include, {}, R"({})"},
    };
    const DownloaderGAInfo info = Info();
    for (const Case& c : cases) {
        rapidjson::Document document;
        CDownloaderGAJSONStruct adapter(document.GetAllocator(), &info);
        adapter.SetKeyFilter(c.mode, c.keys);
        rapidjson::Document expected;
        expected.Parse(c.json);
        SerializeJson(adapter, document);
        EXPECT_TRUE(document == expected) << c.json;
    }
}

TEST(JsonStringMemberTest, KeysAndTextsAreCopiedWhole) {
    rapidjson::Document document;
    DownloaderGAInfo info;
    CDownloaderGAJSONStruct adapter(document.GetAllocator(), &info);
    rapidjson::Value object(rapidjson::kObjectType);
    {
        std::string key = "k";
        std::string text("a\0\"\xC3\xA9", 5);
        adapter.AddStringMember(object, key, text);
        adapter.AddStringMember(object, key, "again");
        key = "overwritten";
        text = "overwritten";
    }
    ASSERT_EQ(object.MemberCount(), 2u);
    EXPECT_EQ(std::string(object.MemberBegin()->name.GetString()), "k");
    EXPECT_EQ(std::string(object.MemberBegin()->value.GetString(), object.MemberBegin()->value.GetStringLength()),
              std::string("a\0\"\xC3\xA9", 5));
    EXPECT_EQ(std::string((object.MemberBegin() + 1)->value.GetString()), "again");
}

// Every case starts from a sequence that already holds one record, so a
// value that is not read leaves exactly that record.
TEST(ImageJSONStructTest, ReadsOnlyMembersOfTheExpectedType) {
    struct Case {
        const char* json;
        std::vector<std::pair<std::string, std::string>> appended;  // url, md5
    } cases[] = {
        {R"({"list":[{"url":"u1","md5":"m1"},{"md5":"m2"},{"url":7,"md5":"m3"},5,[],{"url":"u\u0000cut"}]})",
         {{"u1", "m1"}, {"", "m2"}, {"", "m3"}, {"", ""}, {"", ""}, {"u", ""}}},
        {R"({"list":[]})", {}},
        {R"({"list":{"url":"u"}})", {}},
        {R"({"other":[{"url":"u"}]})", {}},
        {R"([{"url":"u"}])", {}},
    };
    for (const Case& c : cases) {
        rapidjson::Document document;
        ASSERT_FALSE(document.Parse(c.json).HasParseError()) << c.json;
        std::vector<ImageInfo> images{{"old", "old"}};
        ImageConfigInfoJSONStruct adapter(document.GetAllocator(), &images);
        adapter.FromJson(document);
        ASSERT_EQ(images.size(), c.appended.size() + 1) << c.json;
        EXPECT_EQ(images[0].url, "old");
        for (std::size_t i = 0; i < c.appended.size(); ++i) {
            EXPECT_EQ(images[i + 1].url, c.appended[i].first) << c.json << " #" << i;
            EXPECT_EQ(images[i + 1].md5, c.appended[i].second) << c.json << " #" << i;
        }
    }
}

TEST(ImageJSONStructTest, WritesEmptyObjects) {
    rapidjson::Document document;
    ImageInfo image{"u", "m"};
    std::vector<ImageInfo> images{image};
    ImageInfoJSONStruct one(document.GetAllocator(), &image);
    EXPECT_EQ(SerializeJson(one, document), "{}");
    ImageConfigInfoJSONStruct list(document.GetAllocator(), &images);
    EXPECT_EQ(SerializeJson(list, document), "{}");
}

TEST(WideToUtf8Test, CharactersTheCodePageCannotHoldBecomeQuestionMarks) {
    EXPECT_EQ(WideToUtf8(L"Zelmora \u00FC\u4E2D\U0001F600"), "Zelmora \xC3\xBC\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToUtf8(std::wstring(L"a") + wchar_t(0xD800) + L"b" + wchar_t(0x110000)), "a?b?");
}

}  // namespace
