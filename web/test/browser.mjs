// Headless Chromium for run-page and the browser tests: Debian's chromium
// (or CHROMIUM), driven by puppeteer-core, with a fresh profile each time.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

export async function launch() {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'consoleprograms-chromium-'));
    const browser = await puppeteer.launch({
        executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync',
            `--user-data-dir=${profile}`],
    });
    const close = browser.close.bind(browser);
    browser.close = async () => {
        await close();
        fs.rmSync(profile, {recursive: true, force: true});
    };
    return browser;
}

// The page of a program, loaded without starting the program in its
// terminal (for runs with input handed over), or as a person opens it.
export async function openPage(browser, site, name, {autostart = false} = {}) {
    const page = await browser.newPage();
    await page.setViewport({width: 1000, height: 760});
    page.on('pageerror', (e) => process.stderr.write(`${name}: page error: ${e.message}\n`));
    const url = pathToFileURL(path.join(site, name + '.html')).href + (autostart ? '' : '?noauto');
    await page.goto(url);
    if (name !== 'index') await page.waitForFunction('window.pageReady === true');
    return page;
}

// One run with standard input as bytes (a pipe). files: name -> Buffer
// (a directory as "name/" -> null). Resolves to {status, stdout (Buffer),
// stderr, files}.
export async function runInPage(page, {stdin, env, files, show}) {
    const request = {stdin: Buffer.from(stdin).toString('base64'), env, files: {}, show};
    for (const [name, bytes] of files) request.files[name] = bytes === null ? null : bytes.toString('base64');
    const result = await page.evaluate((r) => window.runProgram(r), request);
    const out = new Map();
    for (const [name, data] of Object.entries(result.files))
        out.set(name, data === null ? null : Buffer.from(data, 'base64'));
    return {status: result.status, stdout: Buffer.from(result.stdout, 'base64'), stderr: result.stderr, files: out};
}
