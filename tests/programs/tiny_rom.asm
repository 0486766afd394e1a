; A stand-in system ROM: writes "ROM FILE" at the top left of the text
; screen and stops. Shorter than 16 KB; the rest of the ROM area reads 0xFF.
latch:  equ 0x6800
screen: equ 0x7000

        org 0x0000
        di
        ld sp, 0x8000
        xor a
        ld (latch), a
        ld hl, text
        ld de, screen
        ld b, end - text
copy:   ld a, (hl)
        ld (de), a
        inc hl
        inc de
        djnz copy
wait:   jr wait

text:   defb 0x12, 0x0f, 0x0d, 0x20, 0x06, 0x09, 0x0c, 0x05
end:
