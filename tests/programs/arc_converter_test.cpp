#include <gtest/gtest.h>

#include <cmath>

#include "programs/arc_converter/ArcConverterForm.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using Q = ArcConverterForm;

TEST(ArcConverter, OpensWithOneArcsecondConverted) {
  const ArcConverterForm form;
  EXPECT_EQ(form.Mode(), Q::Arcseconds);
  EXPECT_EQ(form.Field(Q::Arcseconds).text, "1");
  EXPECT_EQ(form.Field(Q::Degrees).text, "0.00027778");
  // 1″ = π/648000 rad = 4.8481368 µrad.
  EXPECT_EQ(form.Field(Q::Microradians).text, "4.84813681");
  EXPECT_FALSE(form.Field(Q::Arcseconds).readOnly);
  EXPECT_TRUE(form.Field(Q::Degrees).readOnly);
  EXPECT_TRUE(form.Field(Q::Microradians).readOnly);
}

TEST(ArcConverter, ANumberItCannotUseIsSaidUnderTheFieldsAndConvertsToNothing) {
  ArcConverterForm form;
  form.FieldEdited(Q::Arcseconds, "1e999");
  EXPECT_EQ(form.Note().text, "\"Arc-seconds\" must be a finite number, not \"1e999\".   ");
  EXPECT_EQ(form.Field(Q::Degrees).text, "");
  EXPECT_EQ(form.Field(Q::Microradians).text, "");
  form.FieldEdited(Q::Arcseconds, "3600");
  EXPECT_EQ(form.Note().text, "");
  EXPECT_EQ(form.Field(Q::Degrees).text, "1");
}

TEST(ArcConverter, TypingInAReadOnlyFieldChangesNothing) {
  ArcConverterForm form;
  form.FieldEdited(Q::Degrees, "5");
  EXPECT_EQ(form.Field(Q::Degrees).text, "0.00027778");
  EXPECT_EQ(form.Field(Q::Arcseconds).text, "1");
}

TEST(ArcConverter, DegreesModeConvertsOneDegree) {
  ArcConverterForm form;
  form.SetMode(Q::Degrees);
  EXPECT_EQ(form.Field(Q::Arcseconds).text, "1");  // switching keeps the values
  EXPECT_TRUE(form.Field(Q::Arcseconds).readOnly);
  form.FieldEdited(Q::Degrees, "1");
  EXPECT_EQ(form.Field(Q::Arcseconds).text, "3600");
  EXPECT_EQ(form.Field(Q::Microradians).text, "17453.29251994");
}

TEST(ArcConverter, MicroradiansRoundTripToTheArcsecond) {
  ArcConverterForm form;
  form.SetMode(Q::Microradians);
  form.FieldEdited(Q::Microradians, "1000000");  // one radian
  EXPECT_NEAR(shell::ParseNumber(form.Field(Q::Arcseconds).text), 206264.80624710, 1e-8);
  EXPECT_NEAR(shell::ParseNumber(form.Field(Q::Degrees).text), 180.0 / M_PI, 1e-8);
  form.FieldEdited(Q::Microradians, "abc");
  EXPECT_EQ(form.Field(Q::Arcseconds).text, "0");
}

}  // namespace
}  // namespace velto::programs
