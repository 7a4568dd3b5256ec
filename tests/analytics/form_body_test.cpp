#include <gtest/gtest.h>

#include "analytics/form_body.h"
#include "analytics/http_form_client.h"
#include "analytics/text.h"
#include "test_support.h"

namespace plumeta {
namespace {

TEST(FormBody, FieldsAreUtf8JoinedWithAmpersand) {
  FormFields fields = {{u"lb", u"Größe"}, {u"val", u"日本"}, {u"t", u"x"}};
  std::vector<std::string> rendered = RenderFormFields(fields);
  ASSERT_EQ(rendered.size(), 3u);
  EXPECT_EQ(rendered[0],
            "lb=Gr\xC3\xB6\xC3\x9F"
            "e&");
  EXPECT_EQ(rendered[1], "val=\xE6\x97\xA5\xE6\x9C\xAC&");
  EXPECT_EQ(rendered[2], "t=x") << "no ampersand after the last field";
  EXPECT_TRUE(RenderFormFields({}).empty());
}

TEST(FormBody, PercentAmpersandPlusAndControlsAreEscaped) {
  EXPECT_EQ(EncodeFormText(u"C:\\Program Files\\A&B"), "C:\\Program Files\\A%26B");
  EXPECT_EQ(EncodeFormText(u"C++"), "C%2B%2B");
  EXPECT_EQ(EncodeFormText(u"100%"), "100%25");
  EXPECT_EQ(EncodeFormText(u"line1\r\nline2\tend"), "line1%0D%0Aline2%09end");
  EXPECT_EQ(EncodeFormText(std::u16string(u"a\0b\x7F", 4)), "a%00b%7F");
}

TEST(FormBody, EverythingElseStaysByteIdentical) {
  std::u16string plain = u"{0A1B-x}=y ?/#;:,'\"<>[]~!@$^*()_|é";
  EXPECT_EQ(EncodeFormText(plain), ToUtf8(plain));
}

TEST(FormBody, OverlongValueIsCutToFitItsBufferAndTheHitStillGoesOut) {
  std::u16string details(3000, u'x');
  std::vector<std::string> rendered = RenderFormFields({{u"exdt", details}, {u"exf", u"1"}});
  ASSERT_EQ(rendered.size(), 2u);
  EXPECT_EQ(rendered[0].size(), 1024u) << "with its ampersand, the field fills the buffer";
  EXPECT_EQ(rendered[0], "exdt=" + std::string(1018, 'x') + "&");
  EXPECT_EQ(rendered[1], "exf=1");

  std::vector<std::string> last = RenderFormFields({{u"exdt", details}});
  EXPECT_EQ(last[0].size(), 1023u) << "the last field keeps a byte for its terminating zero";
}

TEST(FormBody, FieldThatJustFitsIsNotCut) {
  std::u16string value(1019, u'v');
  EXPECT_EQ(RenderFormFields({{u"exd", value}, {u"t", u"x"}})[0].size(), 1024u);
  EXPECT_EQ(RenderFormFields({{u"exd", value}, {u"t", u"x"}})[0], "exd=" + ToUtf8(value) + "&");
}

TEST(FormBody, CutNeverSplitsACharacterOrAnEscape) {
  // "é" is two bytes in UTF-8; an odd room leaves one byte unused.
  std::string cut = EncodeFormText(std::u16string(600, u'é'), 1017);
  EXPECT_EQ(cut.size(), 1016u);
  EXPECT_EQ(FromUtf8(cut), std::u16string(508, u'é'));
  // A surrogate pair is four bytes and goes whole or not at all.
  EXPECT_EQ(EncodeFormText(u"ab\U0001F600", 5), "ab");
  EXPECT_EQ(EncodeFormText(u"ab\U0001F600", 6), "ab\xF0\x9F\x98\x80");
  EXPECT_EQ(EncodeFormText(u"ab&", 4), "ab");
  EXPECT_EQ(EncodeFormText(u"ab&", 5), "ab%26");
}

TEST(FormBody, KeyThatCannotFitRaisesCode12) {
  std::u16string key(1023, u'k');
  try {
    RenderFormFields({{key, u"v"}});
    FAIL() << "expected ClientExcept";
  } catch (const ClientExcept& e) {
    EXPECT_EQ(e.code(), kClientFieldTooLong);
  }
  // The longest key that fits leaves no room for the value.
  EXPECT_EQ(RenderFormFields({{std::u16string(1022, u'k'), u"v"}})[0], std::string(1022, 'k') + "=");
}

TEST(FormClient, PostWithoutInternetSessionAnswers1) {
  HttpFormClient client(nullptr);
  std::uint32_t status = 0;
  EXPECT_EQ(client.Post(u"http://c", status), kClientNoSession);
}

TEST(FormClient, FailuresStayInsideThePostAndKeepTheirCode) {
  std::vector<FormRequest> sent;
  HttpFormClient failing(std::make_unique<testing::RecordingSender>(sent, kClientConnect));
  failing.AddField(u"t", u"x");
  std::uint32_t status = 0;
  EXPECT_EQ(failing.Post(u"http://c", status), 0);
  EXPECT_EQ(failing.LastError(), kClientConnect);

  HttpFormClient client(std::make_unique<testing::RecordingSender>(sent));
  client.AddField(u"t", u"x");
  client.fieldCodePage = 1252;
  EXPECT_EQ(client.Post(u"http://c", status), 0);
  EXPECT_EQ(client.LastError(), kClientCodePage);
  EXPECT_TRUE(sent.empty()) << "nothing goes out with a wrong code page";

  client.fieldCodePage = kUtf8CodePage;
  EXPECT_EQ(client.Post(u"http://c", status), 0);
  EXPECT_EQ(client.LastError(), 0);
  EXPECT_EQ(status, 200u);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(JoinFields(sent[0].fields), "t=x");
}

TEST(FormClient, CertificateErrorsAreOverriddenAtMostTwice) {
  EXPECT_EQ(CertificateOverride(1, kErrorInvalidCa), kIgnoreUnknownCa);
  EXPECT_EQ(CertificateOverride(1, kErrorCertNameInvalid), kIgnoreCertNameInvalid);
  EXPECT_EQ(CertificateOverride(1, 12029), 0u) << "a plain connection failure is final";
  EXPECT_EQ(CertificateOverride(2, kErrorInvalidCa), kIgnoreUnknownCa);
  EXPECT_EQ(CertificateOverride(2, kErrorCertNameInvalid), kIgnoreCertNameInvalid);
  EXPECT_EQ(CertificateOverride(2, 12044), kIgnoreCertNameInvalid);
  EXPECT_EQ(CertificateOverride(3, kErrorCertNameInvalid), 0u);
}

}  // namespace
}  // namespace plumeta
