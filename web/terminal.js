// The page of one program: its dialogue in a terminal that behaves as a
// Linux UTF-8 terminal in line mode (echo, Backspace, Enter, Ctrl-D, Ctrl-U,
// Ctrl-C), the files of its working directory, and runs with standard input
// handed over as bytes (window.runProgram, used by run-page and the tests).
//
// The program (NAME.js, built with the web console back end) asks the page
// for input through consoleRead, writes through consoleWrite and waits for a
// key through consoleWaitKey; see console/terminal_web.cpp.
'use strict';

(function () {
    const programName = document.body.dataset.program;
    const workDir = '/work';
    const encoder = new TextEncoder();

    // --- Files of the working directory, kept between runs on the page ---

    // name -> Uint8Array; studentdb's students.dat also lives in IndexedDB.
    const workFiles = new Map();
    const storedFiles = programName === 'studentdb' ? ['students.dat'] : [];

    function openStore() {
        return new Promise((resolve, reject) => {
            const request = indexedDB.open('consoleprograms-' + programName, 1);
            request.onupgradeneeded = () => request.result.createObjectStore('files');
            request.onsuccess = () => resolve(request.result);
            request.onerror = () => reject(request.error);
        });
    }

    let store = null;
    async function loadStoredFiles() {
        if (storedFiles.length === 0) return;
        try {
            store = await openStore();
        } catch (e) {
            store = null; // no storage (private window): the files last as long as the page
            return;
        }
        for (const name of storedFiles) {
            const bytes = await new Promise((resolve) => {
                const request = store.transaction('files').objectStore('files').get(name);
                request.onsuccess = () => resolve(request.result);
                request.onerror = () => resolve(undefined);
            });
            if (bytes instanceof Uint8Array) workFiles.set(name, bytes);
        }
    }

    // One put or delete is one transaction: what is stored is the whole old
    // file or the whole new one, never a mix, whenever the page is closed.
    const saved = new Map();
    function storeFile(name, bytes) {
        if (!store || !storedFiles.includes(name)) return Promise.resolve();
        const last = saved.get(name);
        if (last === bytes || (last && bytes && sameBytes(last, bytes))) return Promise.resolve();
        saved.set(name, bytes);
        return new Promise((resolve) => {
            const tx = store.transaction('files', 'readwrite');
            if (bytes) tx.objectStore('files').put(bytes, name);
            else tx.objectStore('files').delete(name);
            tx.oncomplete = resolve;
            tx.onerror = resolve;
            tx.onabort = resolve;
        });
    }

    function sameBytes(a, b) {
        if (a.length !== b.length) return false;
        for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return false;
        return true;
    }

    // The files of the working directory of a module: path -> Uint8Array
    // (a directory as "path/" -> null).
    function readTree(FS, dir, prefix, out) {
        for (const name of FS.readdir(dir)) {
            if (name === '.' || name === '..') continue;
            const path = dir + '/' + name;
            const st = FS.stat(path);
            if (FS.isDir(st.mode)) {
                out.set(prefix + name + '/', null);
                readTree(FS, path, prefix + name + '/', out);
            } else if (FS.isFile(st.mode)) {
                out.set(prefix + name, FS.readFile(path));
            }
        }
        return out;
    }

    function writeTree(FS, files) {
        for (const [name, bytes] of files) {
            const parts = name.split('/').filter((p) => p !== '');
            let dir = workDir;
            for (let i = 0; i + 1 < parts.length; ++i) {
                dir += '/' + parts[i];
                try {
                    FS.mkdir(dir);
                } catch (e) {
                    /* there already */
                }
            }
            if (name.endsWith('/')) {
                try {
                    FS.mkdir(workDir + '/' + parts.join('/'));
                } catch (e) {
                    /* there already */
                }
            } else {
                FS.writeFile(workDir + '/' + parts.join('/'), bytes);
            }
        }
    }

    // --- One run of the program ---

    // options: input (Uint8Array: a pipe of bytes; null: the terminal),
    // env (the locale variables), files (Map name -> bytes), show (write the
    // output on the screen too). Resolves to {status, stdout, stderr, files}.
    async function run(options) {
        const chunks = [];
        let stderr = '';
        let module = null;
        let inputAt = 0;
        const piped = options.input !== null;
        const hooks = {
            consoleRead(size) {
                if (piped) {
                    const bytes = options.input.subarray(inputAt, inputAt + size);
                    inputAt += bytes.length;
                    return Promise.resolve(bytes);
                }
                return terminal.read(size, () => syncFiles(module));
            },
            consoleWrite(bytes) {
                chunks.push(bytes);
                if (options.show) {
                    terminal.show(bytes);
                    if (window.firstOutputDrawn === undefined)
                        terminal.term.write('', () => {
                            if (window.firstOutputDrawn === undefined) window.firstOutputDrawn = performance.now();
                        });
                }
                return true;
            },
            consoleIsTerminal() {
                return !piped;
            },
            consoleWaitKey() {
                return piped ? Promise.resolve() : terminal.waitKey(() => syncFiles(module));
            },
            print(text) {
                stderr += text + '\n';
            },
            printErr(text) {
                stderr += text + '\n';
                if (options.show) terminal.show(encoder.encode(text + '\n'));
            },
            preRun: [
                (m) => {
                    // Only the locale variables given count: none means the C
                    // locale, as natively (the runtime would otherwise make up
                    // LANG from the browser's language).
                    for (const name of ['LANG', 'LANGUAGE', 'LC_ALL', 'LC_CTYPE', 'LC_MESSAGES'])
                        m.ENV[name] = undefined;
                    Object.assign(m.ENV, {PATH: '/', HOME: workDir, USER: 'web_user', PWD: workDir}, options.env);
                    const FS = fileSystemOf(m);
                    if (!FS) return;
                    FS.mkdir(workDir);
                    writeTree(FS, options.files);
                    FS.chdir(workDir);
                },
            ],
        };
        module = await createProgram(hooks);
        if (!piped) currentModuleFS = fileSystemOf(module);
        let status;
        try {
            status = await module.ccall('main', 'number', ['number', 'number'], [0, 0], {async: true});
        } catch (e) {
            if (e && e.name === 'ExitStatus') {
                status = e.status;
            } else {
                stderr += String(e) + '\n';
                status = 134; // ended as by abort()
            }
        }
        const FS = fileSystemOf(module);
        const files = FS ? readTree(FS, workDir, '', new Map()) : new Map(options.files);
        return {status, stdout: concat(chunks), stderr, files};
    }

    // A program that opens no files is built without a file system: its
    // working directory stays as it was.
    function fileSystemOf(module) {
        try {
            return module.FS && module.FS.mkdir ? module.FS : null;
        } catch (e) {
            return null;
        }
    }

    function concat(chunks) {
        let size = 0;
        for (const c of chunks) size += c.length;
        const all = new Uint8Array(size);
        let at = 0;
        for (const c of chunks) {
            all.set(c, at);
            at += c.length;
        }
        return all;
    }

    // While the program waits for the person, whatever it saved is stored.
    function syncFiles(module) {
        if (!module || storedFiles.length === 0) return;
        for (const name of storedFiles) {
            let bytes = null;
            try {
                bytes = fileSystemOf(module).readFile(workDir + '/' + name);
            } catch (e) {
                bytes = null;
            }
            if (bytes) workFiles.set(name, bytes);
            else workFiles.delete(name);
            storeFile(name, bytes);
        }
    }

    // --- The terminal: line mode as a Linux terminal has it ---

    const terminal = {
        term: null,
        lines: [], // completed input: Uint8Array chunks; an empty one is an end of input (Ctrl-D)
        edit: [], // the line being typed, as bytes
        pendingRead: null,
        pendingKey: null,
        running: false,
        onInterrupt: null,

        writes: 0, // writes the terminal has not drawn yet

        show(bytes) {
            this.draw(bytes);
        },
        echo(text) {
            this.draw(text);
        },
        // The page's own line after the program's end, on a line of its own.
        note(text) {
            if (!this.term) return;
            ++this.writes;
            this.term.write('', () => {
                const lineBreak = this.term.buffer.active.cursorX !== 0 ? '\r\n' : '';
                this.term.write(lineBreak + text + '\r\n', () => --this.writes);
            });
        },
        draw(data) {
            if (!this.term) return;
            ++this.writes;
            this.term.write(data, () => --this.writes);
        },

        read(size, idle) {
            return new Promise((resolve) => {
                this.pendingRead = {size, resolve};
                this.serve();
                if (this.pendingRead) idle();
            });
        },

        // A read takes completed lines, stopping at an end of input.
        serve() {
            if (!this.pendingRead || this.lines.length === 0) return;
            const {size, resolve} = this.pendingRead;
            this.pendingRead = null;
            if (this.lines[0].length === 0) {
                this.lines.shift();
                resolve(new Uint8Array(0));
                return;
            }
            const taken = [];
            let room = size;
            while (room > 0 && this.lines.length > 0 && this.lines[0].length > 0) {
                const line = this.lines[0];
                if (line.length <= room) {
                    taken.push(line);
                    room -= line.length;
                    this.lines.shift();
                } else {
                    taken.push(line.subarray(0, room));
                    this.lines[0] = line.subarray(room);
                    room = 0;
                }
            }
            resolve(concat(taken));
        },

        // A key wait takes one key: what was typed ahead first, as the
        // terminal's one-key mode gives it; else the next key pressed.
        waitKey(idle) {
            return new Promise((resolve) => {
                const ahead = this.lines.length > 0 && this.lines[0].length > 0 ? this.lines[0] : null;
                if (ahead) {
                    const n = keyLength(ahead);
                    this.lines[0] = ahead.subarray(n);
                    if (this.lines[0].length === 0) this.lines.shift();
                    resolve();
                } else if (this.lines.length === 0 && this.edit.length > 0) {
                    this.edit.splice(0, keyLength(Uint8Array.from(this.edit)));
                    resolve();
                } else {
                    this.pendingKey = resolve;
                    idle();
                }
            });
        },

        // Keys and pasted text from the terminal, or text handed in.
        type(data) {
            // What is echoed is gathered and drawn once: a paste of many
            // lines is one write to the terminal.
            const echoed = [];
            const echo = this.echo;
            this.echo = (text) => echoed.push(typeof text === 'string' ? encoder.encode(text) : text);
            try {
                let bytes = encoder.encode(data);
                if (this.pendingKey) {
                    // A key wait takes one key. What came with it arrived
                    // while the terminal did not echo: it goes into the line
                    // unseen, as on a Linux terminal in one-key mode.
                    const n = keyLength(bytes);
                    const resolve = this.pendingKey;
                    this.pendingKey = null;
                    resolve();
                    this.echo = () => {};
                    this.typeBytes(bytes.subarray(n));
                } else {
                    this.typeBytes(bytes);
                }
            } finally {
                this.echo = echo;
                if (echoed.length > 0) this.draw(concat(echoed));
            }
            this.serve();
        },

        typeBytes(bytes) {
            for (let i = 0; i < bytes.length; ) {
                const b = bytes[i];
                if (b === 0x0d || b === 0x0a) {
                    this.edit.push(0x0a);
                    this.commit();
                    this.echo('\r\n');
                    ++i;
                } else if (b === 0x7f || b === 0x08) {
                    this.erase();
                    ++i;
                } else if (b === 0x04) {
                    if (this.edit.length === 0) this.lines.push(new Uint8Array(0));
                    else this.commit();
                    ++i;
                } else if (b === 0x15) {
                    while (this.edit.length > 0) this.erase();
                    ++i;
                } else if (b === 0x03) {
                    this.echo('^C\r\n');
                    this.edit = [];
                    this.lines = [];
                    if (this.onInterrupt) this.onInterrupt();
                    return;
                } else if (b < 0x20 && b !== 0x09) {
                    // Other control characters go into the line, shown as ^X.
                    this.edit.push(b);
                    this.echo('^' + String.fromCharCode(b + 0x40));
                    ++i;
                } else {
                    const n = b < 0x80 ? 1 : Math.max(1, utf8Length(bytes, i));
                    let end = i + n;
                    while (end < bytes.length && bytes[end] >= 0x20 && bytes[end] !== 0x7f) ++end;
                    const piece = bytes.subarray(i, end);
                    for (const x of piece) this.edit.push(x);
                    this.echo(piece);
                    i = end;
                }
            }
        },

        commit() {
            this.lines.push(Uint8Array.from(this.edit));
            this.edit = [];
        },

        // Backspace takes the last character of the line (all its bytes) off
        // the line and off the screen.
        erase() {
            if (this.edit.length === 0) return;
            let n = 1;
            while (n < this.edit.length && (this.edit[this.edit.length - n] & 0xc0) === 0x80) ++n;
            const last = this.edit[this.edit.length - n];
            this.edit.length -= n;
            this.echo(last < 0x20 && last !== 0x09 ? '\b\b  \b\b' : '\b \b');
        },
    };

    function utf8Length(bytes, i) {
        const b = bytes[i];
        const n = b >= 0xf0 ? 4 : b >= 0xe0 ? 3 : b >= 0xc0 ? 2 : 1;
        return Math.min(n, bytes.length - i);
    }

    // The bytes of one key at the start of bytes: a character, or Escape with
    // its control sequence.
    function keyLength(bytes) {
        if (bytes.length === 0) return 0;
        if (bytes[0] !== 0x1b) return bytes[0] < 0x80 ? 1 : utf8Length(bytes, 0);
        if (bytes.length > 1 && bytes[1] === 0x5b) {
            let n = 2;
            while (n < bytes.length && !(bytes[n] >= 0x40 && bytes[n] <= 0x7e)) ++n;
            return Math.min(n + 1, bytes.length);
        }
        if (bytes.length > 1 && bytes[1] === 0x4f) return Math.min(3, bytes.length);
        return 1;
    }

    // --- The page ---

    let runs = 0;
    async function startInTerminal() {
        const status = document.getElementById('status');
        const again = document.getElementById('again');
        terminal.lines = [];
        terminal.edit = [];
        terminal.running = true;
        again.disabled = true;
        status.textContent = 'running';
        const thisRun = ++runs;
        const files = new Map(workFiles);
        let interrupted = null;
        const interrupt = new Promise((resolve) => {
            interrupted = resolve;
        });
        terminal.onInterrupt = () => interrupted({status: 130, files: null});
        const result = await Promise.race([
            run({input: null, env: {LANG: 'C.UTF-8'}, files, show: true}),
            interrupt,
        ]);
        if (thisRun !== runs) return;
        terminal.onInterrupt = null;
        terminal.pendingRead = null;
        terminal.pendingKey = null;
        terminal.running = false;
        if (result.files) {
            workFiles.clear();
            for (const [name, bytes] of result.files) if (bytes) workFiles.set(name, bytes);
            for (const name of storedFiles) await storeFile(name, workFiles.get(name) || null);
        }
        terminal.note('\x1b[2m[' + programName + ' ended, status ' + result.status + '; Enter starts it again]\x1b[0m');
        status.textContent = 'ended with status ' + result.status;
        again.disabled = false;
        window.lastStatus = result.status;
        updateFileList();
    }

    function updateFileList() {
        const list = document.getElementById('files');
        if (!list) return;
        const names = [...workFiles.keys()].filter((n) => !n.endsWith('/'));
        list.textContent = names.length ? 'Files: ' + names.join(', ') : 'No files yet.';
    }

    // A file dropped or picked: into the working directory under its own name.
    async function addFile(file, asName) {
        const name = asName || file.name;
        const bytes = new Uint8Array(await file.arrayBuffer());
        workFiles.set(name, bytes);
        await storeFile(name, bytes);
        if (currentModuleFS) {
            try {
                currentModuleFS.writeFile(workDir + '/' + name, bytes);
            } catch (e) {
                /* the run has ended */
            }
        }
        updateFileList();
    }
    let currentModuleFS = null;

    function setUpPage() {
        const term = new Terminal({
            convertEol: true,
            cursorBlink: true,
            fontSize: 15,
            rows: 30,
            cols: 100,
            scrollback: 5000,
        });
        term.open(document.getElementById('terminal'));
        terminal.term = term;
        term.onData((data) => {
            if (terminal.running) terminal.type(data);
            else if (data === '\r') startInTerminal();
        });
        term.focus();

        document.getElementById('again').addEventListener('click', () => {
            term.write('\r\n');
            startInTerminal();
            term.focus();
        });
        const picker = document.getElementById('pick');
        if (picker) {
            picker.addEventListener('change', async () => {
                for (const f of picker.files) await addFile(f, picker.dataset.as);
                picker.value = '';
                term.focus();
            });
        }
        document.body.addEventListener('dragover', (e) => e.preventDefault());
        document.body.addEventListener('drop', async (e) => {
            e.preventDefault();
            for (const f of e.dataTransfer.files) await addFile(f, picker && picker.dataset.as);
            term.focus();
        });
        const download = document.getElementById('download');
        if (download) {
            download.addEventListener('click', () => {
                const bytes = workFiles.get('students.dat');
                if (!bytes) {
                    document.getElementById('status').textContent = 'no students.dat yet';
                    return;
                }
                const a = document.createElement('a');
                a.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
                a.download = 'students.dat';
                a.click();
                setTimeout(() => URL.revokeObjectURL(a.href), 1000);
            });
        }
        updateFileList();
    }

    // For run-page and the tests: one run with standard input handed over
    // as bytes (a pipe). Arguments and results in base64.
    window.runProgram = async function (request) {
        const files = new Map();
        for (const [name, data] of Object.entries(request.files || {}))
            files.set(name, data === null ? null : fromBase64(data));
        const result = await run({input: fromBase64(request.stdin || ''), env: request.env || {}, files,
            show: request.show !== false});
        const out = {};
        for (const [name, bytes] of result.files) out[name] = bytes === null ? null : toBase64(bytes);
        return {status: result.status, stdout: toBase64(result.stdout), stderr: result.stderr, files: out};
    };
    // For the tests: the program waits for the person (or has ended) and
    // everything it wrote is on the screen; the screen's text, every line
    // with its trailing blanks taken off, the scrolled-off ones included.
    window.terminalIdle = () =>
        terminal.writes === 0 && (!terminal.running || terminal.pendingRead !== null || terminal.pendingKey !== null);
    window.screenText = () => {
        const buffer = terminal.term.buffer.active;
        const lines = [];
        for (let i = 0; i < buffer.length; ++i) lines.push(buffer.getLine(i).translateToString(true).replace(/ +$/, ''));
        while (lines.length > 0 && lines[lines.length - 1] === '') lines.pop();
        return lines.join('\n');
    };
    window.terminalPaste = (text) => terminal.term.paste(text);
    window.pageFiles = () => {
        const out = {};
        for (const [name, bytes] of workFiles) out[name] = toBase64(bytes);
        return out;
    };

    function fromBase64(text) {
        const raw = atob(text);
        const bytes = new Uint8Array(raw.length);
        for (let i = 0; i < raw.length; ++i) bytes[i] = raw.charCodeAt(i);
        return bytes;
    }
    function toBase64(bytes) {
        let raw = '';
        for (let i = 0; i < bytes.length; i += 0x8000)
            raw += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
        return btoa(raw);
    }

    const autostart = !new URLSearchParams(location.search).has('noauto');
    setUpPage();
    loadStoredFiles().then(() => {
        updateFileList();
        window.pageReady = true;
        if (autostart) startInTerminal();
    });
})();
