#pragma once
// The input parameters window "Input parameters" (Form2) on Win32: number of genes, number of
// samples and the correlation threshold, handed to the workflow by "Submit".

#include "frontend/core/workflow.hpp"
#include "frontend/win32/form_window.hpp"

namespace kova::win32 {

class Form1;

class Form2 {
 public:
  Form2(Workflow& workflow, Form1& main_window);
  void show() { window_.show(); }

 private:
  void submit();

  Workflow& workflow_;
  Form1& main_window_;
  FormWindow window_;
};

}  // namespace kova::win32
