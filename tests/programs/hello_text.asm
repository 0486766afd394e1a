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
clear:  ld (hl), 0x20
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

; The video chip's codes: letters are 0x01-0x1A, space and digits as ASCII.
top:    defb 0x14, 0x05, 0x13, 0x13, 0x05, 0x0c, 0x20, 0x0f, 0x0b
bottom: defb 0x0c, 0x09, 0x0e, 0x05, 0x20, 0x31, 0x35
end:
