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

; Normal text, as the machine's character set has it: letters 0x41-0x5A,
; space 0x60.
text:   defb 0x52, 0x4f, 0x4d, 0x60, 0x46, 0x49, 0x4c, 0x45
end:
