; Text mode: clears the screen to spaces and writes "TESSEL OK" at the top
; left and "LINE 15" at the start of the last row, then waits forever with
; interrupts off.
latch:  equ 0x6800
screen: equ 0x7000

        org 0x8000
        di
        xor a                       ; text mode, colour set 0
        ld (latch), a
        ld hl, screen
        ld bc, 512
clear:  ld (hl), 0x60
        inc hl
        dec bc
        ld a, b
        or c
        jr nz, clear
        ld hl, top
        ld de, screen
        ld b, bottom - top
        call copy
        ld hl, bottom
        ld de, screen + 15 * 32
        ld b, end - bottom
        call copy
wait:   jr wait

copy:   ld a, (hl)
        ld (de), a
        inc hl
        inc de
        djnz copy
        ret

; Normal text, as the machine's character set has it: letters 0x41-0x5A,
; space 0x60, digits 0x70-0x79.
top:    defb 0x54, 0x45, 0x53, 0x53, 0x45, 0x4c, 0x60, 0x4f, 0x4b
bottom: defb 0x4c, 0x49, 0x4e, 0x45, 0x60, 0x71, 0x75
end:
