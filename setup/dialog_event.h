// Classification of the outcome word a toolkit dialog leaves in DLGEVENT.
#pragma once

enum class DialogEvent { Continue, Back, Cancel, Exit, Other };

// Classifies by the sum of the first two characters' codes, each taken as a
// signed 8-bit value and summed in 16 bits: 146 "CO" Continue, 131 "BA" Back,
// 132 "CA" Cancel, 157 "EX" Exit, anything else Other. An empty word sums its
// terminator only, a one-letter word its letter and terminator.
DialogEvent ClassifyDialogEvent(const char* word);
