// The control tables: what the windows are built from and where the tests click.

#include "frontend/core/window_layouts.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kova {
namespace {

std::vector<std::string> names(const std::vector<const ControlSpec*>& controls) {
  std::vector<std::string> out;
  for (const ControlSpec* c : controls) out.emplace_back(c->name);
  return out;
}

const WindowLayout* const kWindows[] = {&main_window_layout(), &input_parameters_layout(), &engine_selection_layout()};

TEST(WindowLayouts, EveryControlLiesInItsContainerAndTheWindowWithDistinctNamesAndTabIndices) {
  for (const WindowLayout* window : kWindows) {
    std::set<std::string_view> seen_names;
    std::set<int> tab_indices;
    for (const ControlSpec& entry : window->controls) {
      SCOPED_TRACE(std::string(window->name) + "." + std::string(entry.name));
      EXPECT_TRUE(seen_names.insert(entry.name).second);
      EXPECT_TRUE(tab_indices.insert(entry.tab_index).second);
      // A container is a frame listed earlier, so that a shell can build the table in order.
      if (!entry.container.empty()) {
        EXPECT_TRUE(seen_names.contains(entry.container));
        const ControlSpec& outer = control(*window, entry.container);
        EXPECT_EQ(outer.kind, ControlKind::kFrame);
        EXPECT_LE(entry.rect.left + entry.rect.width, outer.rect.width);
        EXPECT_LE(entry.rect.top + entry.rect.height, outer.rect.height);
      }
      const TwipsRect r = window_rect(*window, entry);
      EXPECT_GE(r.left, 0);
      EXPECT_GE(r.top, 0);
      EXPECT_LE(r.left + r.width, window->client_width);
      EXPECT_LE(r.top + r.height, window->client_height);
    }
  }
}

TEST(WindowLayouts, ControlsSitWhereTheWindowShowsThem) {
  const WindowLayout& main = main_window_layout();
  EXPECT_EQ(main.caption, "KOVA");
  // The column of buttons from the top, in the window: Open over the frame, the others in it.
  EXPECT_EQ(window_rect(main, control(main, "Open")), (TwipsRect{240, 600, 1695, 375}));
  EXPECT_EQ(window_rect(main, control(main, "Command4")), (TwipsRect{240, 1200, 1695, 495}));
  EXPECT_EQ(window_rect(main, control(main, "Command1")), (TwipsRect{240, 1920, 1695, 495}));
  EXPECT_EQ(window_rect(main, control(main, "Command2")), (TwipsRect{240, 2520, 1695, 375}));
  EXPECT_EQ(window_rect(main, control(main, "Command3")), (TwipsRect{600, 3120, 735, 495}));
  EXPECT_EQ(window_rect(main, control(main, "Text1")), (TwipsRect{3120, 600, 1935, 2895}));

  const WindowLayout& parameters = input_parameters_layout();
  EXPECT_EQ(parameters.caption, "Input parameters");
  // Three rows: box on the left, label to the right.
  EXPECT_EQ(window_rect(parameters, control(parameters, "Text1")).top, 600);
  EXPECT_EQ(window_rect(parameters, control(parameters, "Label1")).top, 720);
  EXPECT_EQ(window_rect(parameters, control(parameters, "Text2")), (TwipsRect{480, 1440, 1095, 375}));
  EXPECT_EQ(window_rect(parameters, control(parameters, "Label2")).top, 1560);
  EXPECT_EQ(window_rect(parameters, control(parameters, "Text3")), (TwipsRect{480, 2160, 1095, 375}));
  EXPECT_EQ(window_rect(parameters, control(parameters, "Label3")).top, 2280);

  const WindowLayout& engines = engine_selection_layout();
  EXPECT_EQ(engines.caption, "Execute");
  EXPECT_EQ(control(engines, "Command2").caption, "KOVA (no overlapping)");
  EXPECT_THROW(control(engines, "Command3"), std::out_of_range);
}

TEST(WindowLayouts, FocusOrderFollowsTheTabIndicesAndSkipsFramesAndLabels) {
  EXPECT_EQ(names(focus_order(main_window_layout())),
            (std::vector<std::string>{"Open", "Command1", "Command2", "Command3", "Text1", "Command4"}));
  EXPECT_EQ(names(focus_order(input_parameters_layout())),
            (std::vector<std::string>{"Text1", "Text2", "Command1", "Text3"}));
  EXPECT_EQ(names(focus_order(engine_selection_layout())), (std::vector<std::string>{"Command1", "Command2"}));
}

}  // namespace
}  // namespace kova

namespace kova {
namespace {

TEST(LayoutScale, ControlsGrowWithTheTextAndNeverShrinkBelowTheScreensTwips) {
  // 13-pixel text at 96 dots per inch is what the layouts were drawn for: 15 twips a pixel.
  EXPECT_DOUBLE_EQ(pixels_per_twip(13, 96), 96 / 1440.0);
  EXPECT_DOUBLE_EQ(pixels_per_twip(26, 96), 2 * 96 / 1440.0);
  EXPECT_DOUBLE_EQ(pixels_per_twip(10, 96), 96 / 1440.0);
  EXPECT_DOUBLE_EQ(pixels_per_twip(13, 192), 192 / 1440.0);
  EXPECT_EQ(scaled(1695, 96 / 1440.0), 113);
}

TEST(LayoutScale, GrowsUntilEveryCaptionFitsAndKeepsItsProportions) {
  const WindowLayout& form2 = input_parameters_layout();
  // A caption "fits" when the control is at least as wide as 10 pixels a character.
  const auto fits = [](const ControlSpec& entry, double scale) {
    return scaled(entry.rect.width, scale) >= 10 * static_cast<int>(entry.caption.size());
  };
  const double scale = scale_to_fit(form2, pixels_per_twip(13, 96), fits);
  EXPECT_GT(scale, pixels_per_twip(13, 96));
  for (const ControlSpec& entry : form2.controls) {
    if (!entry.caption.empty()) {
      EXPECT_TRUE(fits(entry, scale)) << entry.name;
    }
  }
  // Not more than one step beyond what the narrowest room asks: "Correlation threshold".
  const ControlSpec& label3 = control(form2, "Label3");
  EXPECT_FALSE(fits(label3, scale / 1.02));
  // A caption that never fits stops the growth at four times the text's scale instead of hanging.
  const double most = scale_to_fit(form2, 0.1, [](const ControlSpec&, double) { return false; });
  EXPECT_GE(most, 0.4);
  EXPECT_LT(most, 0.4 * 1.02);
}

}  // namespace
}  // namespace kova
