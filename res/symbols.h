// Ids of the module's own strings (strings_en-US/strings.str).
#ifndef KEELVANE_RES_SYMBOLS_H
#define KEELVANE_RES_SYMBOLS_H

enum
{
  IDS_ARROW = 10000,      // the object's name
  IDS_ARROW_INFO = 10001  // the text of the info button
};

#endif
