#include "machine/printer.h"

namespace {

constexpr uint8_t CARRIAGE_RETURN = 0x0D;
constexpr uint8_t LINE_FEED = 0x0A;
constexpr uint8_t FIRST_PRINTABLE = 0x20;
constexpr uint8_t LAST_PRINTABLE = 0x7E;

void keep(Printer& printer, char c)
{
    if (printer.length < PRINTED_TEXT_CAPACITY) printer.text[printer.length++] = c;
}

}  // namespace

void startPrinterFrame(Printer& printer) { printer.length = 0; }

void printerStrobe(Printer& printer, uint8_t code)
{
    bool afterReturn = printer.afterCarriageReturn;
    printer.afterCarriageReturn = code == CARRIAGE_RETURN;
    if (code == CARRIAGE_RETURN || (code == LINE_FEED && !afterReturn)) {
        keep(printer, '\n');
    } else if (code >= FIRST_PRINTABLE && code <= LAST_PRINTABLE) {
        keep(printer, static_cast<char>(code));
    }
}
