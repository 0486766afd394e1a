; Shows what the joystick ports read, over and over with interrupts off:
; each row of the text screen holds the 8 bits of one read, bit 7 first, as
; normal-text '0' and '1'. Rows 0-3 read the single lines with IN A,(n):
; 0x2E (A0), 0x2D (A1), 0x2B (A2), 0x27 (A3). Row 4 reads port 0x20, every
; line at once, with IN A,(C) and a high byte of 0x5A that must not count.
screen:     equ 0x7000
columns:    equ 32
digit_0:    equ 0x70            ; '0' in the machine's normal text
digit_1:    equ 0x71

            org 0x8000
            di
loop:       ld hl, screen
            in a, (0x2E)
            call show
            ld hl, screen + 1 * columns
            in a, (0x2D)
            call show
            ld hl, screen + 2 * columns
            in a, (0x2B)
            call show
            ld hl, screen + 3 * columns
            in a, (0x27)
            call show
            ld hl, screen + 4 * columns
            ld bc, 0x5A20
            in a, (c)
            call show
            jr loop

; Writes the bits of A at HL, bit 7 first, each digit in one store: a
; picture taken at any moment of the loop shows no digit half written.
show:       ld b, 8
next:       rlca
            ld c, digit_0
            jr nc, zero
            ld c, digit_1
zero:       ld (hl), c
            inc hl
            djnz next
            ret
