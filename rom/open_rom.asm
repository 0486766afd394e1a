; Tessel open ROM: a small, free replacement for the VZ200/VZ300 system ROM.
; It is not the machine's own ROM and runs none of its programs; it gives the
; emulator something to boot: a text screen, a cursor, keyboard echo and a
; tiny monitor. Commands are typed after the prompt and ended with Return:
;
;   D [addr]             hex dump of 64 bytes; without an address it goes on
;   M addr bb bb ...     write the bytes from addr on
;   G addr               call addr; a program ending in RET comes back here
;   C [0|1]              colour test card in graphics mode (colour set 0 or 1);
;                        any key returns to text mode
;
; Addresses and bytes are hexadecimal, 1 to 4 digits. Anything else: "WHAT?".
;
; Assembler: z80asm (Debian's package of that name).

; ---------------------------------------------------------------- the machine

ROM_SIZE:        equ 0x4000
LATCH:           equ 0x6800     ; writes anywhere in 0x6800-0x6FFF set the output latch
LATCH_GRAPHICS:  equ 0x08       ; bit 3: 128x64 graphics instead of text
LATCH_COLOR_SET: equ 0x10       ; bit 4: colour set 1 (buff, cyan, orange, magenta)
SPEAKER_A:       equ 0x01       ; bit 0 and bit 5 drive the two sides of the speaker:
SPEAKER_B:       equ 0x20       ; unequal, it is pushed one way or the other

; Reading 0x6800-0x6FFF gives the AND of the keyboard rows whose address
; bit A0-A7 is 0; a 0 bit in a row is a pressed key (bits 0-5).
KEY_ROW0:        equ 0x68FE     ; A0 low: row 0; rotate the low byte for the next row
KEY_ROW_CTRL:    equ 0x68FD     ; row 1 holds Ctrl at bit 2
KEY_ROW_SHIFT:   equ 0x68FB     ; row 2 holds Shift at bit 2
MODIFIER_BIT:    equ 2
KEY_ROWS:        equ 8
KEY_INDEX_M:     equ 4*8+5      ; row 4 bit 5: with Ctrl it is the host's Backspace and Left

SCREEN:          equ 0x7000     ; text screen: 16 rows of 32 video codes
COLUMNS:         equ 32
TEXT_ROWS:       equ 16
SCREEN_SIZE:     equ COLUMNS*TEXT_ROWS
SCREEN_END:      equ SCREEN+SCREEN_SIZE
LAST_ROW:        equ SCREEN_END-COLUMNS
GRAPHICS_LINES:  equ 64         ; graphics: 64 lines of 32 bytes, four 2-bit pixels each
GRAPHICS_END:    equ SCREEN+GRAPHICS_LINES*COLUMNS
BAR_BYTES:       equ 8          ; a quarter of a graphics line

NORMAL:          equ 0x40       ; normal text is codes 0x40-0x7F, as the machine's ROM writes it
SPACE_CODE:      equ NORMAL+0x20 ; 0x60-0x7F are ASCII 0x20-0x3F
INVERSE:         equ 0x40       ; flips a code between normal and inverse (0x00-0x3F)

; ---------------------------------------------------------------- characters

NEWLINE:         equ 13         ; Return, and the end of a line in our texts
BACKSPACE:       equ 8          ; Ctrl+M
NO_KEY:          equ 0xFF       ; no key index
LINE_MAX:        equ COLUMNS-2  ; prompt, line, and a cell for the cursor
BLINK_FRAMES:    equ 16         ; cursor half period
REPEAT_DELAY:    equ 30         ; frames a key is held before it repeats
REPEAT_RATE:     equ 4          ; frames between repeats
DUMP_LINES:      equ 8
DUMP_BYTES:      equ 8

; ---------------------------------------------------------------- RAM
; Writes below 0x6800 are lost, so every variable and the stack live in RAM
; above the video memory. 0x7800-0x79FF belongs to this ROM.

RAM_VARS:        equ 0x7800
frameCount:      equ RAM_VARS       ; 2 bytes: frames since reset
cursorAddr:      equ RAM_VARS+2     ; 2 bytes: screen cell of the next character
cursorOn:        equ RAM_VARS+4     ; nonzero while the interrupt may blink the cursor
cursorLit:       equ RAM_VARS+5     ; nonzero while the cursor cell is shown inverted
blinkTimer:      equ RAM_VARS+6     ; frames until the next blink
repeatKey:       equ RAM_VARS+7     ; key index of the last key that went down, or NO_KEY
repeatTimer:     equ RAM_VARS+8     ; frames until it repeats
lineLength:      equ RAM_VARS+9     ; characters in lineBuffer
dumpAddr:        equ RAM_VARS+10    ; 2 bytes: where the next D goes on
repeatRow:       equ RAM_VARS+12    ; 2 bytes: the keysDown byte of repeatKey
repeatMask:      equ RAM_VARS+14    ; and its bit there
keysDown:        equ RAM_VARS+16    ; 8 bytes: keys down at the last scan, 1 bits
lineBuffer:      equ RAM_VARS+24    ; LINE_MAX characters and a 0
RAM_VARS_SIZE:   equ 64
STACK_TOP:       equ 0x7A00

; ---------------------------------------------------------------- vectors

        org 0x0000
reset:
        di
        jp start

        ds 0x0038-$, 0xFF
        ; Frame-end interrupt, one per 1/50 s (IM 1, and RST 38 in IM 0).
        jp frameInterrupt

        ds 0x0066-$, 0xFF
        ; Nothing drives the non-maskable interrupt; return should one come.
        retn

; ---------------------------------------------------------------- start

start:
        ld sp,STACK_TOP
        im 1
        xor a
        ld (LATCH),a                ; text mode, colour set 0
        ld hl,RAM_VARS
        ld b,RAM_VARS_SIZE
clearVars:
        ld (hl),a
        inc hl
        djnz clearVars
        call getKey                 ; keys held through reset type nothing
        ld a,NO_KEY
        ld (repeatKey),a
        call clearScreen
        ld hl,bannerText
        call printString
        ei

commandLoop:
        ld a,'>'
        call putChar
        call readLine
        call execute
        jr commandLoop

; Frame-end interrupt: count the frame and blink the cursor.
frameInterrupt:
        push af
        push hl
        ld hl,(frameCount)
        inc hl
        ld (frameCount),hl
        ld a,(cursorOn)
        or a
        jr z,frameDone
        ld hl,blinkTimer
        dec (hl)
        jr nz,frameDone
        ld (hl),BLINK_FRAMES
        ld hl,cursorLit
        ld a,(hl)
        xor 1
        ld (hl),a
        ld hl,(cursorAddr)
        ld a,(hl)
        xor INVERSE
        ld (hl),a
frameDone:
        pop hl
        pop af
        ei
        reti

; ---------------------------------------------------------------- line input

; Collects one line into lineBuffer (ended by a 0) while echoing it;
; Backspace takes back the last character, Return ends the line.
readLine:
        xor a
        ld (lineLength),a
readShow:
        call showCursor
readWait:
        halt                        ; sleep until the frame ends: one scan per frame
        call getKey
        or a
        jr z,readWait
        call keyClick
        call hideCursor
        cp NEWLINE
        jr z,readReturn
        cp BACKSPACE
        jr z,readBackspace
        ld c,a
        ld a,(lineLength)
        cp LINE_MAX
        jr nc,readShow              ; the line is full
        ld e,a
        ld d,0
        ld hl,lineBuffer
        add hl,de
        ld (hl),c
        inc a
        ld (lineLength),a
        ld a,c
        call putChar
        jr readShow
readBackspace:
        ld hl,lineLength
        ld a,(hl)
        or a
        jr z,readShow               ; nothing typed yet: the prompt stays
        dec (hl)
        ld hl,(cursorAddr)
        dec hl
        ld (hl),SPACE_CODE
        ld (cursorAddr),hl
        jr readShow
readReturn:
        ld a,(lineLength)
        ld e,a
        ld d,0
        ld hl,lineBuffer
        add hl,de
        ld (hl),0
        ld a,NEWLINE
        jp putChar

; A short click for each key taken: the speaker pushed back and forth a few
; times at about 2 kHz, then left at rest. Only called in text mode, colour
; set 0, so the latch's other bits are 0 throughout.
CLICK_HALF_PERIODS: equ 8
CLICK_DELAY:        equ 66      ; DJNZ turns: 66 x 13 + 20 = 878 cycles a half period
keyClick:
        push af
        push bc
        ld c,CLICK_HALF_PERIODS
        ld a,SPEAKER_A
clickPush:
        ld (LATCH),a
        ld b,CLICK_DELAY
clickWait:
        djnz clickWait
        xor SPEAKER_A|SPEAKER_B     ; the other way
        dec c
        jr nz,clickPush
        xor a
        ld (LATCH),a                ; at rest
        pop bc
        pop af
        ret

; ---------------------------------------------------------------- keyboard

; Scans the keyboard once (call it once per frame). Returns A = the character
; of a key that went down since the last scan (the first in scan order when
; several did), or of the last such key held long enough to repeat; 0 for
; nothing. Keys held meanwhile do not matter, so fast typists may roll over.
getKey:
        ld hl,KEY_ROW0
        ld ix,rowKeyMasks
        ld iy,keysDown
        ld c,0                      ; 8 * row
        ld b,NO_KEY                 ; the key that went down, if any
getKeyRow:
        ld a,(hl)
        cpl
        and (ix+0)
        ld d,a                      ; keys down now, as 1 bits
        ld a,(iy+0)
        cpl
        and d                       ; ...that were up at the last scan
        ld (iy+0),d
        jr z,getKeyNext
        ld e,a
        ld a,b
        cp NO_KEY
        jr nz,getKeyNext            ; an earlier row had one already
        ld a,e
        neg
        and e                       ; the lowest of them, as a mask
        ld (repeatMask),a
        ld (repeatRow),iy
        ld b,c
getKeyBit:
        rrca                        ; its bit number completes the key index
        jr c,getKeyNext
        inc b
        jr getKeyBit
getKeyNext:
        inc ix
        inc iy
        rlc l                       ; the next row's address bit goes low
        ld a,c
        add a,8
        ld c,a
        cp KEY_ROWS*8
        jr nz,getKeyRow
        ld a,b
        cp NO_KEY
        jr z,getKeyHeld
        ld (repeatKey),a            ; a new key: it repeats while held
        ld a,REPEAT_DELAY
        ld (repeatTimer),a
        ld a,b
        jr getKeyLegend
getKeyHeld:
        ld a,(repeatKey)
        cp NO_KEY
        jr z,getKeyNothing
        ld hl,(repeatRow)
        ld a,(repeatMask)
        and (hl)
        jr z,getKeyReleased
        ld hl,repeatTimer
        dec (hl)
        jr nz,getKeyNothing
        ld (hl),REPEAT_RATE
        ld a,(repeatKey)
        jr getKeyLegend
getKeyReleased:
        ld a,NO_KEY
        ld (repeatKey),a
getKeyNothing:
        xor a
        ret
getKeyLegend:                       ; A = 8*row + bit of the key
        ld e,a
        ld d,0
        ld a,(KEY_ROW_CTRL)
        bit MODIFIER_BIT,a
        jr nz,getKeyPlain
        ld a,e                      ; Ctrl: only Ctrl+M (Backspace) means something
        cp KEY_INDEX_M
        ld a,BACKSPACE
        ret z
        jr getKeyNothing
getKeyPlain:
        ld hl,plainLegends
        ld a,(KEY_ROW_SHIFT)
        bit MODIFIER_BIT,a
        jr nz,getKeyLookup
        ld hl,shiftLegends
getKeyLookup:
        add hl,de
        ld a,(hl)
        ret

; Bits that are keys: bit 2 of rows 0, 3 and 4 has no key, and in rows 1 and
; 2 it is Ctrl and Shift.
rowKeyMasks:
        db 0x3B, 0x3B, 0x3B, 0x3B, 0x3B, 0x3F, 0x3F, 0x3F

; The legends, indexed by 8*row + bit (bits 0-5 of each row, then two unused).
; 0 is a position that types nothing.
plainLegends:
        db 'T', 'W', 0, 'E', 'Q', 'R', 0, 0                 ; row 0 (bit 2: no key)
        db 'G', 'S', 0, 'D', 'A', 'F', 0, 0                 ; row 1 (bit 2: Ctrl)
        db 'B', 'X', 0, 'C', 'Z', 'V', 0, 0                 ; row 2 (bit 2: Shift)
        db '5', '2', 0, '3', '1', '4', 0, 0                 ; row 3 (bit 2: no key)
        db 'N', '.', 0, ',', ' ', 'M', 0, 0                 ; row 4 (bit 2: no key)
        db '6', '9', '-', '8', '0', '7', 0, 0               ; row 5
        db 'Y', 'O', NEWLINE, 'I', 'P', 'U', 0, 0           ; row 6
        db 'H', 'L', ':', 'K', ';', 'J', 0, 0               ; row 7
shiftLegends:
        db 'T', 'W', 0, 'E', 'Q', 'R', 0, 0
        db 'G', 'S', 0, 'D', 'A', 'F', 0, 0
        db '?', 'X', 0, 'C', 'Z', 'V', 0, 0                 ; B gives ?
        db '%', 0x22, 0, '#', '!', '$', 0, 0                ; 5 % 2 " 3 # 1 ! 4 $
        db '/', '>', 0, '<', ' ', 'M', 0, 0                 ; N / . > , <
        db '&', ')', '=', '(', '@', 0x27, 0, 0              ; 6 & 9 ) - = 8 ( 0 @ 7 '
        db 'Y', 'O', NEWLINE, 'I', 'P', 'U', 0, 0
        db 'H', 'L', '*', 'K', '+', 'J', 0, 0               ; : * ; +

; ---------------------------------------------------------------- screen

; Fills the text screen with spaces and homes the cursor.
clearScreen:
        ld hl,SCREEN
        ld (cursorAddr),hl
        ld de,SCREEN+1
        ld bc,SCREEN_SIZE-1
        ld (hl),SPACE_CODE
        ldir
        ret

; Prints the 0-ended text at HL.
printString:
        ld a,(hl)
        or a
        ret z
        call putChar
        inc hl
        jr printString

; Prints A as two hex digits.
printHexByte:
        push af
        rrca
        rrca
        rrca
        rrca
        call printHexDigit
        pop af
printHexDigit:
        and 0x0F
        add a,'0'
        cp '9'+1
        jr c,putChar
        add a,'A'-'9'-1
        jr putChar

; Prints HL as four hex digits.
printHexWord:
        ld a,h
        call printHexByte
        ld a,l
        jr printHexByte

; Prints the ASCII character in A at the cursor (NEWLINE starts a new line),
; scrolling the screen up at the bottom. Keeps BC, DE and HL.
putChar:
        push hl
        push de
        push bc
        ld hl,(cursorAddr)
        cp NEWLINE
        jr z,putNewLine
        cp 0x60
        jr c,putCode
        sub 0x20                    ; lower case shows as upper case
putCode:
        and 0x3F                    ; ASCII to video code: @ A-Z [ \ ] come first...
        or NORMAL                   ; ...in normal text
        ld (hl),a
        inc hl
        ld a,l
        and COLUMNS-1
        jr nz,putDone               ; still on the same row
        jr putCheckBottom
putNewLine:
        ld a,l
        and 0xFF-(COLUMNS-1)
        ld l,a
        ld de,COLUMNS
        add hl,de
putCheckBottom:
        ld a,h
        cp SCREEN_END/256
        jr c,putDone
        ld hl,SCREEN+COLUMNS        ; past the last row: scroll everything up
        ld de,SCREEN
        ld bc,SCREEN_SIZE-COLUMNS
        ldir
        ld hl,LAST_ROW
        ld b,COLUMNS
putClearRow:
        ld (hl),SPACE_CODE
        inc hl
        djnz putClearRow
        ld hl,LAST_ROW
putDone:
        ld (cursorAddr),hl
        pop bc
        pop de
        pop hl
        ret

; Shows the cursor at once and lets the interrupt blink it. Keeps AF.
showCursor:
        push af
        push hl
        di
        ld hl,(cursorAddr)
        ld a,(hl)
        xor INVERSE
        ld (hl),a
        ld a,1
        ld (cursorLit),a
        ld (cursorOn),a
        ld a,BLINK_FRAMES
        ld (blinkTimer),a
        ei
        pop hl
        pop af
        ret

; Stops the blinking and leaves the cell under the cursor as it was. Keeps AF.
hideCursor:
        push af
        push hl
        di
        xor a
        ld (cursorOn),a
        ld hl,cursorLit
        or (hl)
        jr z,hideDone
        ld (hl),0
        ld hl,(cursorAddr)
        ld a,(hl)
        xor INVERSE
        ld (hl),a
hideDone:
        ei
        pop hl
        pop af
        ret

; ---------------------------------------------------------------- monitor

; Runs the command in lineBuffer.
execute:
        ld hl,lineBuffer
        call skipSpaces
        or a
        ret z                       ; empty line: just a new prompt
        inc hl
        cp 'D'
        jr z,commandDump
        cp 'M'
        jr z,commandModify
        cp 'G'
        jr z,commandGo
        cp 'C'
        jp z,commandColour
commandError:
        ld hl,errorText
        jp printString

; D [addr]: eight lines "aaaa bb bb bb bb bb bb bb bb".
commandDump:
        call atEnd
        jr z,dumpFrom
        call parseHex
        jr c,commandError
        call atEnd
        jr nz,commandError
        ld (dumpAddr),de
dumpFrom:
        ld hl,(dumpAddr)
        ld c,DUMP_LINES
dumpLine:
        call printHexWord
        ld b,DUMP_BYTES
dumpByte:
        ld a,' '
        call putChar
        ld a,(hl)
        call printHexByte
        inc hl
        djnz dumpByte
        ld a,NEWLINE
        call putChar
        dec c
        jr nz,dumpLine
        ld (dumpAddr),hl
        ret

; M addr bb bb ...: bytes go to consecutive addresses; writes to the ROM
; area are lost as on the machine.
commandModify:
        call parseHex
        jr c,commandError
        ld b,d
        ld c,e
modifyNext:
        call atEnd
        ret z
        call parseHex
        jr c,commandError
        ld a,d
        or a
        jr nz,commandError          ; not a byte
        ld a,e
        ld (bc),a
        inc bc
        jr modifyNext

; G addr: call the program; when it returns, the prompt comes back.
commandGo:
        call parseHex
        jr c,commandError
        call atEnd
        jr nz,commandError
        ex de,hl
        call jumpHL
        im 1                        ; whatever the program did, the cursor
        ei                          ; needs the frame interrupt again
        ret
jumpHL:
        jp (hl)

; C [0|1]: four bars of the four colours of a colour set in graphics mode,
; framed in colour 3 so that colour 0 stands out from the border (which has
; colour 0 too), until a key goes down; then back to a cleared text screen.
commandColour:
        ld c,LATCH_GRAPHICS
        call atEnd
        jr z,cardShow
        call parseHex
        jp c,commandError
        call atEnd
        jp nz,commandError
        ld a,d
        or a
        jp nz,commandError
        ld a,e
        cp 2
        jp nc,commandError
        or a
        jr z,cardShow
        ld c,LATCH_GRAPHICS|LATCH_COLOR_SET
cardShow:
        ld a,c
        ld (LATCH),a
        ld hl,SCREEN
        ld c,GRAPHICS_LINES
cardLine:
        ld b,BAR_BYTES
        ld a,0x00                   ; four pixels of colour 0
        call fillBytes
        ld b,BAR_BYTES
        ld a,0x55                   ; colour 1
        call fillBytes
        ld b,BAR_BYTES
        ld a,0xAA                   ; colour 2
        call fillBytes
        ld b,BAR_BYTES
        ld a,0xFF                   ; colour 3
        call fillBytes
        dec c
        jr nz,cardLine
        ld hl,SCREEN                ; the frame: top and bottom lines...
        ld b,COLUMNS
        call fillBytes
        ld hl,GRAPHICS_END-COLUMNS
        ld b,COLUMNS
        call fillBytes
        ld hl,SCREEN                ; ...and the outer pixel of every line
        ld de,COLUMNS-1
        ld c,GRAPHICS_LINES
cardSide:
        ld a,(hl)
        or 0xC0                     ; leftmost pixel: bits 7-6
        ld (hl),a
        add hl,de
        ld a,(hl)
        or 0x03                     ; rightmost pixel: bits 1-0
        ld (hl),a
        inc hl
        dec c
        jr nz,cardSide
cardWait:
        halt
        call getKey
        or a
        jr z,cardWait
        xor a
        ld (LATCH),a                ; text mode again; the card overwrote the text
        jp clearScreen

; Fills B bytes from HL on with A.
fillBytes:
        ld (hl),a
        inc hl
        djnz fillBytes
        ret

; ---------------------------------------------------------------- parsing

; Skips spaces at HL; returns A = the first other character.
skipSpaces:
        ld a,(hl)
        cp ' '
        ret nz
        inc hl
        jr skipSpaces

; Z when only spaces are left at HL.
atEnd:
        call skipSpaces
        or a
        ret

; Reads a hex number of 1 to 4 digits after optional spaces into DE, HL past
; it. Carry on a missing number, more than four digits or a character other
; than a space or the end right after it. Keeps BC.
parseHex:
        push bc
        call skipSpaces
        ld de,0
        ld b,0                      ; digits read
parseDigit:
        ld a,(hl)
        call hexValue
        jr c,parseEnd
        ex de,hl
        add hl,hl
        add hl,hl
        add hl,hl
        add hl,hl
        or l
        ld l,a
        ex de,hl
        inc hl
        inc b
        jr parseDigit
parseEnd:
        ld a,b
        or a
        jr z,parseBad
        cp 5
        jr nc,parseBad
        ld a,(hl)
        or a
        jr z,parseGood
        cp ' '
        jr z,parseGood
parseBad:
        scf
        pop bc
        ret
parseGood:
        or a                        ; clears the carry
        pop bc
        ret

; A = the value 0-15 of the hex digit in A, or carry when it is none.
hexValue:
        sub '0'
        ret c
        cp 10
        jr c,hexGood
        sub 'A'-'0'
        ret c
        cp 6
        jr nc,hexBad
        add a,10
hexGood:
        or a
        ret
hexBad:
        scf
        ret

; ---------------------------------------------------------------- texts

bannerText:
        db "TESSEL OPEN ROM 1.0", NEWLINE
        db "AN OPEN REPLACEMENT ROM, NOT", NEWLINE
        db "THE VZ200/VZ300 SYSTEM ROM.", NEWLINE
        db NEWLINE
        db "D ADDR  M ADDR BYTES  G ADDR  C", NEWLINE
        db NEWLINE, 0
errorText:
        db "WHAT?", NEWLINE, 0

romEnd:
        ds ROM_SIZE-$, 0xFF         ; the rest of the 16 KB as an empty EPROM
