// Control ids of the settings dialog TForm3 and the task editor TForm5,
// shared with the end-to-end tests that drive them from outside.
#pragma once

namespace velmaro {

namespace form3 {
enum ControlId : int {
  IDC_LISTVIEW1 = 1001,
  IDC_BUTTON4,  // add
  IDC_BUTTON5,  // modify
  IDC_BUTTON6,  // delete
  IDC_CHECKBOX2,
  IDC_LABEL10,
  IDC_LABEL8,
  IDC_EDIT5,
  IDC_LABEL9,
  IDC_CHECKBOX5,
  IDC_EDIT8,
  IDC_BUTTON3,  // choose the sound
  IDC_BUTTON1,  // OK
  IDC_BUTTON2,  // cancel
  IDC_LABEL11,
  IDC_COMBOBOX1,  // minutes of warning ahead
};
}  // namespace form3

namespace form5 {
enum ControlId : int {
  IDC_RADIOBUTTON1 = 1001,  // one per trigger kind, in the kinds' order
  IDC_RADIOBUTTON2,
  IDC_RADIOBUTTON3,
  IDC_RADIOBUTTON4,
  IDC_RADIOBUTTON5,
  IDC_RADIOBUTTON6,
  IDC_RADIOBUTTON7,
  IDC_RADIOBUTTON8,   // network quiet
  IDC_RADIOBUTTON9,   // processor quiet
  IDC_RADIOBUTTON10,  // program ended
  IDC_EDIT1,
  IDC_DATETIMEPICKER1,
  IDC_DATETIMEPICKER2,
  IDC_DATETIMEPICKER3,
  IDC_DATETIMEPICKER4,
  IDC_DATETIMEPICKER5,
  IDC_DATETIMEPICKER6,
  IDC_COMBOBOX1,
  IDC_COMBOBOX2,
  IDC_COMBOBOX3,
  IDC_COMBOBOX4,
  IDC_EDIT3,
  IDC_EDIT4,
  IDC_LABEL1,
  IDC_LABEL2,
  IDC_LABEL3,
  IDC_LABEL4,
  IDC_LABEL7,
  IDC_LABEL8,
  IDC_LABEL9,
  IDC_LABEL5,
  IDC_COMBOBOX5,
  IDC_LABEL6,
  IDC_COMBOBOX6,
  IDC_BUTTON1,  // browse
  IDC_BUTTON2,  // OK
  IDC_BUTTON3,  // cancel
  IDC_EDIT5,    // network minutes
  IDC_LABEL10,
  IDC_EDIT6,  // KB/s
  IDC_LABEL11,
  IDC_EDIT7,  // processor minutes
  IDC_LABEL12,
  IDC_EDIT8,  // percent
  IDC_LABEL13,
  IDC_COMBOBOX7,  // program name, with the running programs as its list
  IDC_LABEL14,    // the network now
  IDC_LABEL15,    // the processor now
  IDC_CHECKBOX1,  // wake the computer to run it
  IDC_CHECKBOX2,  // catch up once if missed
};
}  // namespace form5

}  // namespace velmaro
