// SPDX-License-Identifier: MIT
#include "model/params.h"

#include <gtest/gtest.h>

#include "support/recording_surface.h"

namespace henon {
namespace {

using Messages = std::vector<std::string>;

struct ReadParams : ::testing::Test {
  ParamTexts texts = kDefaultParamTexts;
  MapParams params;
  ScriptedDialogs dialogs;
  bool read() { return readParams(texts, params, dialogs); }
};

TEST_F(ReadParams, DefaultsPassAndAreStored) {
  EXPECT_TRUE(read());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(params.a, 1.4);
  EXPECT_EQ(params.b, 0.3);
  EXPECT_EQ(params.x0, 0.5);
  EXPECT_EQ(params.y0, 0.5);
  EXPECT_EQ(params.xbl, -2);
  EXPECT_EQ(params.ybl, -1);
  EXPECT_EQ(params.xtr, 2);
  EXPECT_EQ(params.ytr, 1);
  EXPECT_EQ(params.N, 1000);
  // What the tests and benchmarks start from is what the default texts read as.
  EXPECT_EQ(params, kDefaultParams);
}

TEST_F(ReadParams, EmptyAndNonNumericTextsStoreNothing) {
  texts[2] = "";
  texts[5] = "";
  EXPECT_FALSE(read());
  EXPECT_EQ(dialogs.messages,
            (Messages{"Please enter all values", "Please enter valid numerical values."}));
  EXPECT_EQ(params.a, 0);
  EXPECT_EQ(params.N, 0);

  dialogs.messages.clear();
  texts = kDefaultParamTexts;
  texts[0] = "abc";
  texts[8] = "";
  EXPECT_FALSE(read());
  EXPECT_EQ(dialogs.messages,
            (Messages{"Please enter all values", "Please enter valid numerical values."}));

  // Blanks only are not empty, but are no number either.
  dialogs.messages.clear();
  texts = kDefaultParamTexts;
  texts[3] = "  ";
  EXPECT_FALSE(read());
  EXPECT_EQ(dialogs.messages, (Messages{"Please enter valid numerical values."}));
  EXPECT_EQ(params.a, 0);
}

TEST_F(ReadParams, NRoundsHalfToEvenAndMustBePositive) {
  texts[8] = "0.6";
  EXPECT_TRUE(read());
  EXPECT_EQ(params.N, 1);
  texts[8] = "2.5";
  EXPECT_TRUE(read());
  EXPECT_EQ(params.N, 2);
  for (const char* bad : {"0.4", "-5"}) {
    dialogs.messages.clear();
    texts[8] = bad;
    EXPECT_FALSE(read()) << bad;
    EXPECT_EQ(dialogs.messages, (Messages{"Invalid parameter value"}));
  }
  EXPECT_EQ(params.N, -5);  // rejected values stay stored
}

TEST_F(ReadParams, RejectedWindowIsStoredAnyway) {
  texts[4] = "1";
  texts[6] = "1";
  texts[5] = "3";  // ybl above ytr as well: still one message
  texts[0] = "2";
  EXPECT_FALSE(read());
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid parameter value"}));
  EXPECT_EQ(params.xbl, 1);
  EXPECT_EQ(params.xtr, 1);
  EXPECT_EQ(params.ybl, 3);
  EXPECT_EQ(params.a, 2);
}

TEST_F(ReadParams, NOutsideInt32IsRejectedAndKeepsItsValue) {
  ASSERT_TRUE(read());
  texts[8] = "3e9";
  texts[0] = "1.2";
  EXPECT_FALSE(read());
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid parameter value"}));
  EXPECT_EQ(params.N, 1000);
  EXPECT_EQ(params.a, 1.2);
}

TEST_F(ReadParams, WindowTooWideForDoublesIsRejected) {
  texts[4] = "-1e308";
  texts[6] = "1e308";
  EXPECT_FALSE(read());
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid parameter value"}));
}

}  // namespace
}  // namespace henon
