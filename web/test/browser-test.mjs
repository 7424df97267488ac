// The pages of the seven in headless Chromium:
//   - every transcript case of tests/NAME/cases run in the program's page with
//     its input handed over as a pipe: output bytes, exit status and the
//     after/ files exactly as natively, and for a case holding "prefixes"
//     the input cut at every line end (and every byte of a short input);
//   - dialogues typed on the page's terminal with real key presses
//     (Backspace, Ctrl-D, the key waits) whose screen must read as the
//     native program's on a terminal, run in tmux after each key (skipped,
//     and said so, without a native build in --native, by default
//     build/release/bin, or without tmux); Enter after the end starts the
//     program again;
//   - studentdb's students.dat kept across a reload, and linefind searching
//     a dropped file.
// A screenshot of each page goes to the output folder.
//
//   node browser-test.mjs --site SITE --tests TESTS --out DIR [--native BIN] [--only NAME]
// Prints "N passed, N failed" and exits 1 on any failure.
import fs from 'node:fs';
import path from 'node:path';
import {execFileSync, spawnSync} from 'node:child_process';
import os from 'node:os';
import {fileURLToPath} from 'node:url';
import {launch, openPage, runInPage} from './browser.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const site = path.resolve(args.site);
const testsDir = path.resolve(args.tests);
const outDir = path.resolve(args.out);
fs.mkdirSync(outDir, {recursive: true});
const nativeDir = path.resolve(args.native || path.join(testsDir, '..', 'build', 'release', 'bin'));
const programs = fs.readFileSync(path.join(testsDir, '..', 'programs.list'), 'utf8').split('\n').filter(Boolean)
    .filter((p) => !args.only || p === args.only);

let passed = 0;
let failed = 0;
let skipped = 0;
function report(name, failure) {
    if (failure === null) {
        ++skipped;
        process.stdout.write(`SKIP ${name}: no native program in ${nativeDir} or no tmux to compare with ` +
            '(cmake --workflow --preset release builds the programs)\n');
    } else if (failure) {
        ++failed;
        process.stdout.write(`FAIL ${name}: ${failure}\n`);
    } else {
        ++passed;
    }
}

function escape(bytes) {
    let out = '';
    for (const b of bytes) {
        if (b === 0x0a) out += '\\n';
        else if (b === 0x5c) out += '\\\\';
        else if (b < 0x20 || b >= 0x7f) out += '\\x' + b.toString(16).toUpperCase().padStart(2, '0');
        else out += String.fromCharCode(b);
    }
    return out;
}

function firstDifference(expected, actual) {
    if (expected.equals(actual)) return '';
    let at = 0;
    while (at < expected.length && at < actual.length && expected[at] === actual[at]) ++at;
    const from = Math.max(0, at - 40);
    return `first difference at byte ${at}; expected ${expected.length} bytes, got ${actual.length}\n` +
        `  expected: "${escape(expected.subarray(from, from + 120))}"\n` +
        `  actual:   "${escape(actual.subarray(from, from + 120))}"`;
}

function listFiles(dir, prefix, out) {
    if (!fs.existsSync(dir)) return out;
    for (const entry of fs.readdirSync(dir, {withFileTypes: true})) {
        const rel = prefix + entry.name;
        if (entry.isDirectory()) {
            out.set(rel + '/', null);
            listFiles(path.join(dir, entry.name), rel + '/', out);
        } else {
            out.set(rel, fs.readFileSync(path.join(dir, entry.name)));
        }
    }
    return out;
}

function readCase(dir) {
    const file = (name) => path.join(dir, name);
    const env = {};
    if (fs.existsSync(file('env'))) {
        for (const line of fs.readFileSync(file('env'), 'utf8').split('\n')) {
            const eq = line.indexOf('=');
            if (eq > 0) env[line.slice(0, eq)] = line.slice(eq + 1);
        }
    } else {
        env.LC_ALL = 'C';
    }
    return {
        stdin: fs.existsSync(file('stdin')) ? fs.readFileSync(file('stdin')) : Buffer.alloc(0),
        stdout: fs.readFileSync(file('stdout')),
        status: fs.existsSync(file('status')) ? parseInt(fs.readFileSync(file('status'), 'utf8'), 10) : 0,
        env,
        before: listFiles(file('before'), '', new Map()),
        after: fs.existsSync(file('after')) ? listFiles(file('after'), '', new Map()) : null,
        prefixes: fs.existsSync(file('prefixes')),
    };
}

async function runMany(page, requests) {
    const encoded = requests.map((r) => {
        const files = {};
        for (const [name, bytes] of r.files) files[name] = bytes === null ? null : bytes.toString('base64');
        return {stdin: Buffer.from(r.stdin).toString('base64'), env: r.env, files, show: false};
    });
    const results = await page.evaluate(async (rs) => {
        const out = [];
        for (const r of rs) out.push(await window.runProgram(r));
        return out;
    }, encoded);
    return results.map((r) => {
        const files = new Map();
        for (const [name, data] of Object.entries(r.files))
            files.set(name, data === null ? null : Buffer.from(data, 'base64'));
        return {status: r.status, stdout: Buffer.from(r.stdout, 'base64'), stderr: r.stderr, files};
    });
}

function checkRun(c, result) {
    const failures = [];
    if (result.status !== c.status) failures.push(`exit status ${result.status}, expected ${c.status}`);
    const diff = firstDifference(c.stdout, result.stdout);
    if (diff) failures.push('standard output: ' + diff);
    if (c.after) {
        for (const [name, bytes] of c.after) {
            if (!result.files.has(name)) failures.push('missing file ' + name);
            else if (bytes !== null && !bytes.equals(result.files.get(name)))
                failures.push(`file ${name}: ` + firstDifference(bytes, result.files.get(name)));
        }
        for (const name of result.files.keys()) if (!c.after.has(name)) failures.push('unexpected file ' + name);
    }
    if (failures.length && result.stderr) failures.push('standard error: ' + result.stderr.trim());
    return failures.join('\n  ');
}

async function transcriptCases(browser, name) {
    const casesDir = path.join(testsDir, name, 'cases');
    const page = await openPage(browser, site, name);
    const names = fs.readdirSync(casesDir).filter((n) => fs.statSync(path.join(casesDir, n)).isDirectory()).sort();
    const cases = names.map((n) => ({n, c: readCase(path.join(casesDir, n))}));
    const results = await runMany(page, cases.map(({c}) => ({stdin: c.stdin, env: c.env, files: c.before})));
    cases.forEach(({n, c}, i) => report(`${name}/${n}`, checkRun(c, results[i])));
    for (const {n, c} of cases) {
        if (!c.prefixes) continue;
        const cuts = [];
        for (let cut = 0; cut < c.stdin.length; ++cut) {
            const lineEnd = cut === 0 || c.stdin[cut - 1] === 0x0a;
            if (!lineEnd && c.stdin.length > 400) continue;
            cuts.push({cut, lineEnd});
        }
        const cutResults = await runMany(page, cuts.map(({cut}) => ({stdin: c.stdin.subarray(0, cut), env: c.env,
            files: c.before})));
        const failures = [];
        cuts.forEach(({cut, lineEnd}, i) => {
            const r = cutResults[i];
            if (r.status !== 0) failures.push(`input cut after ${cut} bytes: exit status ${r.status}`);
            else if (lineEnd && !c.stdout.subarray(0, r.stdout.length).equals(r.stdout))
                failures.push(`input cut after ${cut} bytes: output is not the beginning of the expected output: ` +
                    firstDifference(c.stdout.subarray(0, r.stdout.length), r.stdout));
        });
        report(`${name}/${n}/prefixes`, failures.join('\n  '));
    }
    await page.close();
}

// --- Dialogues typed on the page's terminal, compared with the native program ---

// Steps: text typed key by key, text arriving at once ("paste:TEXT", as
// from a quick typist), or a key: Enter, Backspace, Ctrl-D.
const dialogues = [
    {name: 'inttree', title: 'backspace-and-key-wait',
        steps: ['5x', 'Backspace', 'Enter', '4', 'Enter', '5', 'Enter', '4', 'Enter', 'q', '1', 'Enter', 'Ctrl-D']},
    {name: 'inttree', title: 'key-wait-then-an-answer-typed-with-the-key',
        steps: ['50', 'Enter', '4', 'Enter', '50', 'Enter', '4', 'Enter', 'paste:ж1', 'Enter', '6', 'Enter']},
    {name: 'studentdb', title: 'key-wait-takes-a-cyrillic-key',
        steps: ['ж', '6', 'Enter', '9', 'Backspace', '0', 'Enter']},
    {name: 'stringsort', title: 'cyrillic-backspace-and-ctrl-d',
        steps: ['2', 'Enter', '5', 'Enter', 'абв', 'Backspace', 'г', 'Enter', 'b 12', 'Backspace', 'Backspace', '3', 'Ctrl-D', 'Ctrl-D']},
    {name: 'colinsert', title: 'ctrl-d-ends-a-partial-line',
        steps: ['2', 'Enter', '1 2', 'Enter', '3 4', 'Enter', '5', 'Ctrl-D', 'Ctrl-D']},
];
const keyNames = {Enter: 'Enter', Backspace: 'BSpace', 'Ctrl-D': 'C-d'};

async function pressInPage(page, step) {
    if (step === 'Ctrl-D') {
        await page.keyboard.down('Control');
        await page.keyboard.press('KeyD');
        await page.keyboard.up('Control');
    } else if (step in keyNames) {
        await page.keyboard.press(step);
    } else if (step.startsWith('paste:')) {
        await page.evaluate((text) => window.terminalPaste(text), step.slice(6));
    } else {
        for (const ch of step) await page.keyboard.sendCharacter(ch);
    }
}

async function settle(page) {
    for (let stable = 0; stable < 2; ) {
        await new Promise((r) => setTimeout(r, 40));
        stable = (await page.evaluate('window.terminalIdle()')) ? stable + 1 : 0;
    }
}

// The screen as the program left it: without the page's own line at the end.
function programScreen(text) {
    return text.split('\n').filter((l) => !/^\[[a-z]+ ended, status/.test(l)).join('\n').replace(/\n+$/, '');
}

async function dialogueInPage(browser, d) {
    const page = await openPage(browser, site, d.name, {autostart: true});
    await page.click('#terminal');
    await settle(page);
    const prompt = (await page.evaluate('window.screenText()')).split('\n').find((l) => l !== '');
    const screens = [];
    for (const step of d.steps) {
        await pressInPage(page, step);
        await settle(page);
        screens.push(programScreen(await page.evaluate('window.screenText()')));
    }
    const status = await page.evaluate('window.lastStatus');
    await page.screenshot({path: path.join(outDir, `${d.name}-${d.title}.png`)});
    // Enter after the end starts the program again: its first prompt
    // appears once more.
    const count = (text) => text.split('\n').filter((l) => l.startsWith(prompt)).length;
    const before = count(await page.evaluate('window.screenText()'));
    await page.keyboard.press('Enter');
    await settle(page);
    const restarted = count(await page.evaluate('window.screenText()')) === before + 1;
    await page.close();
    return {screens, status, restarted};
}

function tmux(sock, ...argv) {
    return execFileSync('tmux', ['-S', sock, ...argv], {encoding: 'utf8'});
}

// The same keys in tmux to the native program: after each one the screen
// must come to read as the page's did.
async function compareWithNative(d, inPage) {
    if (!inPage.restarted) return 'Enter after the end did not start the program again';
    if (!fs.existsSync(path.join(nativeDir, d.name)) || spawnSync('tmux', ['-V']).status !== 0) return null;
    const root = fs.mkdtempSync(path.join(os.tmpdir(), 'web-dialogue-'));
    const sock = path.join(root, 'sock');
    const conf = path.join(root, 'conf');
    fs.writeFileSync(conf, 'set -g remain-on-exit on\nset -g status off\nset -g history-limit 10000\n');
    fs.mkdirSync(path.join(root, 'work'));
    const failures = [];
    try {
        tmux(sock, '-f', conf, 'new-session', '-d', '-s', 'run', '-x', '100', '-y', '30', '-c', path.join(root, 'work'),
            `env LC_ALL=C.UTF-8 LANG=C.UTF-8 TERM=xterm ${path.join(nativeDir, d.name)}`);
        const screen = () => programScreen(tmux(sock, 'capture-pane', '-p', '-S', '-', '-t', 'run').split('\n')
            .filter((l) => !/^Pane is dead/.test(l)).map((l) => l.replace(/ +$/, '')).join('\n'));
        await new Promise((r) => setTimeout(r, 200));
        for (let i = 0; i < d.steps.length; ++i) {
            const step = d.steps[i];
            if (step in keyNames) tmux(sock, 'send-keys', '-t', 'run', keyNames[step]);
            else tmux(sock, 'send-keys', '-t', 'run', '-l', step.replace(/^paste:/, ''));
            let native = '';
            for (let waited = 0; waited < 5000; waited += 50) {
                native = screen();
                if (native === inPage.screens[i]) break;
                await new Promise((r) => setTimeout(r, 50));
            }
            if (native !== inPage.screens[i]) {
                failures.push(`after step ${i + 1} (${step}) the page shows\n${inPage.screens[i]}\n` +
                    `-- and the native program on a terminal\n${native}`);
                break;
            }
        }
    } finally {
        try {
            tmux(sock, 'kill-server');
        } catch (e) {
            /* gone already */
        }
        fs.rmSync(root, {recursive: true, force: true});
    }
    if (inPage.status !== 0) failures.push(`exit status ${inPage.status}, expected 0`);
    return failures.join('\n');
}

// --- The page's files ---

async function waitForEnd(page) {
    await page.waitForFunction('window.lastStatus !== undefined && window.terminalIdle()', {timeout: 10000});
}

// studentdb: a dialogue pasted into the terminal saves students.dat; after a
// reload the page still has it, byte for byte the file the native program
// saves from the same answers, and the program lists the student from it.
async function studentsKeptAcrossReload(browser) {
    const c = readCase(path.join(testsDir, 'studentdb', 'cases', '007-add-and-save-creates-file'));
    const answers = new TextDecoder('windows-1251').decode(c.stdin);
    const page = await openPage(browser, site, 'studentdb', {autostart: true});
    await settle(page);
    // The first key answers the wait after "there is no file".
    await page.evaluate((text) => window.terminalPaste(text), 'x' + answers);
    await waitForEnd(page);
    const saved = await page.evaluate('window.pageFiles()');
    const failures = [];
    const expected = c.after.get('students.dat');
    const before = saved['students.dat'] ? Buffer.from(saved['students.dat'], 'base64') : Buffer.alloc(0);
    if (!expected.equals(before)) failures.push('students.dat after the dialogue: ' + firstDifference(expected, before));
    await page.reload();
    await page.waitForFunction('window.pageReady === true');
    await settle(page);
    const reloaded = await page.evaluate('window.pageFiles()');
    const after = reloaded['students.dat'] ? Buffer.from(reloaded['students.dat'], 'base64') : Buffer.alloc(0);
    if (!expected.equals(after)) failures.push('students.dat after a reload: ' + firstDifference(expected, after));
    await page.click('#terminal');
    await page.evaluate((text) => window.terminalPaste(text), '6\r0\r');
    await waitForEnd(page);
    const screen = await page.evaluate('window.screenText()');
    if (!screen.includes('Anna')) failures.push('the student saved before the reload is not listed:\n' + screen);
    if (screen.includes('Файла не существует!')) failures.push('after the reload the program found no file');
    await page.screenshot({path: path.join(outDir, 'studentdb-after-reload.png')});
    await page.close();
    return failures.join('\n');
}

// linefind: a file dropped on the page is searched under its own name.
async function droppedFileSearched(browser) {
    const c = readCase(path.join(testsDir, 'linefind', 'cases', '001-equal-sentences-counted'));
    const page = await openPage(browser, site, 'linefind', {autostart: true});
    await settle(page);
    await page.evaluate((data) => {
        const bytes = Uint8Array.from(atob(data), (ch) => ch.charCodeAt(0));
        const transfer = new DataTransfer();
        transfer.items.add(new File([bytes], 'dropped.txt'));
        document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));
    }, c.before.get('text.txt').toString('base64'));
    await page.waitForFunction(() => document.getElementById('files').textContent.includes('dropped.txt'));
    await page.click('#terminal');
    for (const step of ['dropped.txt', 'Enter', 'мыла', 'Enter', 'n', 'Enter']) await pressInPage(page, step);
    await waitForEnd(page);
    const screen = await page.evaluate('window.screenText()');
    await page.screenshot({path: path.join(outDir, 'linefind-dropped-file.png')});
    await page.close();
    const lines = screen.split('\n');
    const found = (text, count) => lines.some((l) => l.includes(text) && l.trimEnd().endsWith(' ' + count));
    return found('Мама мыла раму.', 2) && found('Мама мыла окно.', 1) ? '' : 'the dropped file was not searched:\n' + screen;
}

// run-page in place of the native program: a case's files put into the
// current directory, its answers on standard input; the output bytes, the
// status and the files left behind as the case expects them.
// With noLocale no locale variable is set at all, which is the C locale, as
// natively, whatever the browser's language.
function runPageAsNative(name, caseName, {noLocale = false} = {}) {
    const c = readCase(path.join(testsDir, name, 'cases', caseName));
    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'run-page-'));
    try {
        for (const [rel, bytes] of c.before) {
            if (bytes === null) fs.mkdirSync(path.join(work, rel), {recursive: true});
            else fs.writeFileSync(path.join(work, rel), bytes);
        }
        const env = {...process.env, WEB_SITE: site};
        for (const variable of ['LC_ALL', 'LC_CTYPE', 'LANG', 'LANGUAGE']) delete env[variable];
        if (!noLocale) Object.assign(env, c.env);
        const r = spawnSync(path.join(here, '..', 'run-page'), [name], {cwd: work, input: c.stdin, env});
        const result = {status: r.status, stdout: r.stdout, stderr: r.stderr.toString(),
            files: listFiles(work, '', new Map())};
        return checkRun(c, result);
    } finally {
        fs.rmSync(work, {recursive: true, force: true});
    }
}

// The index and a screenshot of every program's page as it opens.
async function pagesOpen(browser) {
    const failures = [];
    const page = await openPage(browser, site, 'index', {autostart: true});
    for (const name of programs) {
        const link = await page.$(`a[href="${name}.html"]`);
        if (!link) failures.push(`the index does not link ${name}.html`);
    }
    await page.screenshot({path: path.join(outDir, 'index.png')});
    await page.close();
    for (const name of programs) {
        const p = await openPage(browser, site, name, {autostart: true});
        await settle(p);
        const screen = await p.evaluate('window.screenText()');
        if (screen.trim() === '') failures.push(`${name}: nothing on the screen once the page has opened`);
        await p.screenshot({path: path.join(outDir, `${name}.png`)});
        await p.close();
    }
    return failures.join('\n');
}

async function main() {
    const browser = await launch();
    try {
        for (const name of programs) await transcriptCases(browser, name);
        for (const d of dialogues.filter((x) => programs.includes(x.name))) {
            const inPage = await dialogueInPage(browser, d);
            report(`terminal/${d.name}-${d.title}`, await compareWithNative(d, inPage));
        }
        if (programs.includes('studentdb')) report('files/studentdb-kept-across-reload', await studentsKeptAcrossReload(browser));
        if (programs.includes('linefind')) report('files/linefind-dropped-file', await droppedFileSearched(browser));
        if (!args.only) {
            report('pages/open', await pagesOpen(browser));
            report('run-page/studentdb-007', runPageAsNative('studentdb', '007-add-and-save-creates-file'));
            report('run-page/linefind-012', runPageAsNative('linefind', '012-directory-is-not-a-file'));
            report('run-page/linefind-001-without-locale',
                runPageAsNative('linefind', '001-equal-sentences-counted', {noLocale: true}));
        }
    } finally {
        await browser.close();
    }
    process.stdout.write(`${passed} passed, ${failed} failed\n`);
    if (skipped > 0) process.stdout.write(`${skipped} skipped\n`);
    process.exitCode = failed > 0 ? 1 : 0;
}

await main();
