// A scripted presenter installed for one test, whose failures (a step that cannot be done, a dialog
// waiting with no steps left, a message box without an answer) fail the test instead of aborting it.
#pragma once

#include <gtest/gtest.h>

#include "omraplatform/scripted_presenter.h"

namespace omra::test {

class ScriptedUi : public ::testing::Test {
 protected:
  ScriptedUi() : m_scope(ui) {
    ui.OnFailure([](const std::string &message) { ADD_FAILURE() << "scripted presenter: " << message; });
  }
  void TearDown() override { EXPECT_EQ(ui.PendingSteps(), 0u) << "steps left over"; }

  omra::ScriptedPresenter ui;

 private:
  omra::ScopedPresenter m_scope;
};

}  // namespace omra::test
