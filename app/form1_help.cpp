// The help window.
#include "app/form1.h"

void TForm1::b_infoClick()
{
    // The help window arrives with its own module.
}
