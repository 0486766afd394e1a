; Graphics mode, colour set 0: the upper half of the screen in vertical bars
; of the four colours (byte 0x1B = green, yellow, blue, red), the lower half
; red. Then it waits forever with interrupts off, so nothing else draws.
latch:  equ 0x6800
screen: equ 0x7000
half:   equ 32 * 32                 ; 32 lines of 32 bytes

        org 0x8000
        di
        ld a, 0x08                  ; graphics mode
        ld (latch), a
        ld hl, screen
        ld bc, half
bars:   ld (hl), 0x1b
        inc hl
        dec bc
        ld a, b
        or c
        jr nz, bars
        ld bc, half
red:    ld (hl), 0xff
        inc hl
        dec bc
        ld a, b
        or c
        jr nz, red
wait:   jr wait
