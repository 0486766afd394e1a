; A fixed VZ200 workload for the benchmark: the kind of work a program does
; each frame -- clearing and filling the screen, block moves, table lookups
; through an index register, keyboard scans and subroutine calls -- run in a
; loop from 0x8000 over the machine's own bus.

screen:     equ 0x7000
keyboard:   equ 0x6800
buffer:     equ 0x9000
copy:       equ 0xA000

            org 0x8000
            ld sp, 0xF000
            ld hl, buffer           ; seed a 1 KB buffer with a pattern
            ld bc, 0x0400
seed:       ld a, c
            xor b
            ld (hl), a
            inc hl
            dec bc
            ld a, b
            or c
            jr nz, seed

main:       ld hl, screen           ; clear the text screen
            ld de, screen + 1
            ld bc, 511
            ld (hl), 0x20
            ldir

            ld hl, buffer           ; move the buffer
            ld de, copy
            ld bc, 0x0400
            ldir

            ld b, 64                ; scan the keyboard rows
            ld c, 0
scan:       ld a, (keyboard + 0xFE)
            and 0x3F
            add a, c
            ld c, a
            ld a, (keyboard + 0x7F)
            cpl
            and c
            ld c, a
            djnz scan

            ld hl, screen           ; write characters, computed, to the screen
            ld e, 0
fill:       ld a, e
            add a, l
            rrca
            and 0x3F
            ld (hl), a
            inc hl
            inc e
            jr nz, fill

            ld ix, buffer           ; a pass over the buffer through IX
            ld b, 128
sum:        ld a, (ix + 1)
            add a, (ix + 2)
            ld (ix + 0), a
            inc ix
            call mix
            djnz sum

            ld hl, copy             ; search the copy for a byte
            ld bc, 0x0400
            ld a, 0xAA
            cpir

            jp main

mix:        push bc                 ; a small subroutine with bit work
            ld c, a
            rlc c
            srl a
            xor c
            bit 3, a
            jr z, mix_done
            set 7, (ix + 0)
mix_done:   pop bc
            ret
