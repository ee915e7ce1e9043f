// Create: the .jar and the .jad of the book.
#include "app/form1.h"

#include "platform/errors.h"

void TForm1::b_okClick()
{
    BuildBookPackage();
}

void TForm1::BuildBookPackage()
{
    throw AppError("The package builder is not part of this build yet.");
}
